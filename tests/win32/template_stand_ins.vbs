' What Word and VBA give the companion template's macros, for running the macro module under the
' Windows Script Host: Word's CommandBars (a toolbar whose visibility is printed when set) and
' VBA's GetSetting and SaveSetting, which keep settings where VBA keeps them. A test puts the
' module's text and the calls of its macros after this.
Option Explicit

Const vbaSettings = "HKCU\Software\VB and VBA Program Settings\"

Function GetSetting(appName, section, key, defaultValue)
    Dim shell
    Set shell = CreateObject("WScript.Shell")
    On Error Resume Next
    GetSetting = shell.RegRead(vbaSettings & appName & "\" & section & "\" & key)
    If Err.Number <> 0 Then GetSetting = defaultValue
    ' A missing setting is no error to the macro, as with VBA's own GetSetting.
    Err.Clear
End Function

Sub SaveSetting(appName, section, key, value)
    CreateObject("WScript.Shell").RegWrite vbaSettings & appName & "\" & section & "\" & key, value, "REG_SZ"
End Sub

Class Toolbar
    Public Name
    Public Property Let Visible(value)
        WScript.Echo "toolbar " & Name & " visible " & CStr(value)
    End Property
End Class

Function CommandBars(name)
    Set CommandBars = New Toolbar
    CommandBars.Name = name
End Function
