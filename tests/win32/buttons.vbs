' What the companion template's macros do with the add-in: create Buttons by its programmatic
' identifier, read the settings names, check a field held in a variable, and trap the error of a
' command. Exit code 0 when all is as a macro expects; otherwise the number of the failed check.
Option Explicit
Dim b, filled, blank, n, r

Sub Check(ok, number, what)
    If Not ok Then
        WScript.Echo "failed: " & what
        WScript.Quit number
    End If
End Sub

Set b = CreateObject("Telvora.Buttons")
Check b.getAppName = "0x61645694", 1, "getAppName"
Check b.GetSectionName() = "Settings", 2, "getSectionName"
Check TypeName(b.getAppName) = "String", 3, "getAppName is a String"

filled = " x "
blank = "   "
n = 0
r = b.RequiredFieldCheck(filled)
Check TypeName(r) = "Boolean", 4, "RequiredFieldCheck answers a Boolean"
Check r = True, 5, "RequiredFieldCheck("" x "")"
Check b.RequiredFieldCheck(blank) = False, 6, "RequiredFieldCheck(""   "")"
Check filled = " x ", 7, "the field text is left as it was"
Check b.RequiredFieldCheck(n) = True, 8, "RequiredFieldCheck(0)"

' A second object works on the same add-in.
Check CreateObject("Telvora.Buttons").getAppName = b.getAppName, 9, "second Buttons"

On Error Resume Next
b.RequiredFieldCheck
Check Err.Number = 450, 13, "a missing argument is a wrong number of arguments (got " & Err.Number & ")"
Err.Clear
b.cmdFlyToTheMoon
Check Err.Number = 438, 14, "an unknown command is not supported (got " & Err.Number & ")"
Err.Clear
n = Null
r = b.RequiredFieldCheck(n)
Check Err.Number = 94, 15, "a Null text is invalid use of Null (got " & Err.Number & ")"
Check Err.Description = "Invalid use of Null", 16, "Null description: " & Err.Description
Err.Clear
On Error GoTo 0

WScript.Echo b.getAppName
WScript.Quit 0
