' A companion-template macro's use of the settings, at the place VBA's SaveSetting and GetSetting
' keep them. Arguments: write|expect application section key value.
' Exit code: 0 done or as expected, 1 a different value, 2 no such value.
Set args = WScript.Arguments
Set shell = CreateObject("WScript.Shell")
path = "HKCU\Software\VB and VBA Program Settings\" & args(1) & "\" & args(2) & "\" & args(3)
If args(0) = "write" Then
    shell.RegWrite path, args(4), "REG_SZ"
    WScript.Quit 0
End If
On Error Resume Next
value = shell.RegRead(path)
If Err.Number <> 0 Then WScript.Quit 2
On Error GoTo 0
If value = args(4) Then WScript.Quit 0
WScript.Quit 1
