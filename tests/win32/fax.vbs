' What a companion-template macro does with the fax classes: create each by its programmatic
' identifier, fill the fax job's properties by name, read them back, and trap a wrong assignment.
' Prints "fax classes ok" when all is as a macro expects; otherwise the failed check.
Option Explicit
Dim f, progId

Sub Check(ok, number, what)
    If Not ok Then
        WScript.Echo "failed: " & progId & ": " & what
        WScript.Quit number
    End If
End Sub

For Each progId In Array("Telvora.Fax", "Telvora.FaxSBS", "Telvora.WinFax")
    Set f = CreateObject(progId)
    Check f.FaxNumber = "", 1, "FaxNumber starts empty"
    Check TypeName(f.FaxNumber) = "String", 2, "FaxNumber is a String"
    Check f.SendCoverpage = False, 3, "SendCoverpage starts False"
    Check TypeName(f.SendCoverpage) = "Boolean", 4, "SendCoverpage is a Boolean"

    f.faxnumber = "0123 456"
    f.RecipientName = "Zoe"
    f.SendCoverpage = 1
    f.DiscountSend = "True"
    Check f.FaxNumber = "0123 456", 5, "FaxNumber keeps what was assigned"
    Check f.RECIPIENTNAME = "Zoe", 6, "RecipientName keeps what was assigned"
    Check f.SendCoverpage = True, 7, "SendCoverpage = 1 is True"
    Check f.DiscountSend = True, 8, "DiscountSend = ""True"" is True"

    On Error Resume Next
    f.SpecTime = "soon"
    Check Err.Number = 13, 9, "a Boolean takes no ""soon"" (got " & Err.Number & ")"
    Err.Clear
    f.NoSuchProperty = "x"
    Check Err.Number = 438, 13, "an unknown property is not supported (got " & Err.Number & ")"
    Err.Clear
    On Error GoTo 0
Next

WScript.Echo "fax classes ok"
WScript.Quit 0
