' What a companion-template macro does to fax a printed file itself: create a fax class by its
' programmatic identifier, fill the job and call Send under an error trap.
' Arguments: the class's programmatic identifier, the file that receives what the macro saw
' afterwards (Err's number, source and description and blnStopFax, separated by "|").
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
f.DiscountSend = True

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
