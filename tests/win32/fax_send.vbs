' What a companion-template macro does to fax a printed file itself: create a fax class by its
' programmatic identifier, fill the job and call Send under an error trap.
' Arguments: the class's programmatic identifier, the file that receives what the macro saw
' afterwards (Err's number, source and description and blnStopFax, separated by "|"), and
' optionally a cover page file to send in front ("server:" before the name of a server's one).
' Prints "sent" when it got that far.
Option Explicit
Dim f, progId, number, source, description, fso, out

progId = WScript.Arguments(0)
Set f = CreateObject(progId)
f.FaxServerName = "SBS01"
f.RecipientCompany = "Smith & Co"
f.RecipientName = "Ann Smith"
f.FaxNumber = "90123456"
f.CoverpageSubject = "Quote 42"
f.SendFileName = "C:\Temp\Pagewire.tif"
If WScript.Arguments.Count > 2 Then
    f.SendCoverpage = True
    f.ServerCoverpage = (Left(WScript.Arguments(2), 7) = "server:")
    f.CoverpageName = Replace(WScript.Arguments(2), "server:", "")
    f.CoverpageNote = "Call back"
End If
If progId = "Telvora.FaxSBS" Then
    f.PopUpMsg = True
    f.SpecTime = True
    f.SpecificTime = "12/25/2008 14:30"
Else
    f.DiscountSend = True
End If

On Error Resume Next
f.Send
number = Err.Number
source = Err.Source
description = Err.Description
On Error GoTo 0

Set fso = CreateObject("Scripting.FileSystemObject")
Set out = fso.CreateTextFile(WScript.Arguments(1), True)
out.Write number & "|" & source & "|" & description & "|" & f.blnStopFax
out.Close
WScript.Echo "sent"
