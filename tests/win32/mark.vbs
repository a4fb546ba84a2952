' A toolbar button of the companion template, as its macro runs: create Buttons by its programmatic
' identifier and mark the fax number in Word's active document. Prints "marked" when the call
' returned without an error (a script's exit code proves nothing under Wine).
Option Explicit
Dim b
On Error Resume Next
Set b = CreateObject("Telvora.Buttons")
If Err.Number <> 0 Then
    WScript.Echo "CreateObject failed: " & Err.Number & " " & Err.Description
    WScript.Quit 1
End If
b.cmdFaxnumber
If Err.Number <> 0 Then
    WScript.Echo "cmdFaxnumber failed: " & Err.Number & " " & Err.Description
    WScript.Quit 2
End If
Set b = Nothing
WScript.Echo "marked"
WScript.Quit 0
