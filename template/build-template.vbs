' Builds the companion template Telvora.dot through Word's object model: a new template holding the
' macro module TelvoraMacros.bas and the toolbar "Telvora" that toolbar.txt describes, both beside
' this script.
'
' Needs Word, with access to the VBA project object model trusted (Word Options, Trust Center,
' Macro Settings), which importing the module requires. The build runs in a Word of its own,
' started for it and closed after it, so a Word the user has open is not touched.
'
' Usage: cscript //nologo build-template.vbs [output file]   (default: Telvora.dot beside this script)
Option Explicit

Const wdFormatTemplate = 1
Const wdDoNotSaveChanges = 0
Const msoBarTop = 1
Const msoControlButton = 1
Const msoButtonIconAndCaption = 3

Dim fso, here, modulePath, toolbarPath, outPath, buttons
Dim word, previousContext, doc

Set fso = CreateObject("Scripting.FileSystemObject")
here = fso.GetParentFolderName(WScript.ScriptFullName)
modulePath = fso.BuildPath(here, "TelvoraMacros.bas")
toolbarPath = fso.BuildPath(here, "toolbar.txt")
If WScript.Arguments.Count > 0 Then
    outPath = fso.GetAbsolutePathName(WScript.Arguments(0))
Else
    outPath = fso.BuildPath(here, "Telvora.dot")
End If

' Ends the build with a message: the unfinished template closed unsaved, the customization context
' given back, the build's Word closed.
Sub Fail(what)
    Dim description
    description = Err.Description
    If description = "" Then description = "error " & Err.Number
    On Error Resume Next
    If IsObject(doc) Then doc.Close wdDoNotSaveChanges
    If IsObject(previousContext) Then Set word.CustomizationContext = previousContext
    If IsObject(word) Then word.Quit wdDoNotSaveChanges
    WScript.Echo "The template could not be built: " & what & " (" & description & ")"
    WScript.Quit 1
End Sub

' The toolbar description: one button a line as macro, caption, tooltip, face and "group",
' separated by tabs; lines starting with # and empty lines are skipped.
Function ReadToolbar(path)
    Dim stream, line, fields, list, count
    If Not fso.FileExists(path) Then
        WScript.Echo "The toolbar description is missing: " & path
        WScript.Quit 1
    End If
    Set stream = fso.OpenTextFile(path, 1)
    list = Array()
    count = 0
    Do While Not stream.AtEndOfStream
        line = stream.ReadLine
        If Len(Trim(line)) > 0 And Left(line, 1) <> "#" Then
            fields = Split(line, vbTab)
            If UBound(fields) <> 4 Then
                WScript.Echo "A toolbar line needs five fields separated by tabs: " & line
                WScript.Quit 1
            End If
            If Not IsNumeric(fields(3)) Then
                WScript.Echo "A button face is a number: " & line
                WScript.Quit 1
            End If
            ReDim Preserve list(count)
            list(count) = fields
            count = count + 1
        End If
    Loop
    stream.Close
    ReadToolbar = list
End Function

If Not fso.FileExists(modulePath) Then
    WScript.Echo "The macro module is missing: " & modulePath
    WScript.Quit 1
End If
buttons = ReadToolbar(toolbarPath)

On Error Resume Next
Set word = CreateObject("Word.Application")
If Err.Number <> 0 Then Fail "Word could not be started"

Set doc = word.Documents.Add("", True)
If Err.Number <> 0 Then Fail "Word made no new template"
doc.VBProject.VBComponents.Import modulePath
If Err.Number <> 0 Then Fail "the macros could not be imported; allow access to the VBA project object model in Word's Trust Center"

' The toolbar goes into the new template, not into the user's Normal template.
Set previousContext = word.CustomizationContext
If Err.Number <> 0 Then Fail "Word's customization context could not be read"
Set word.CustomizationContext = doc
If Err.Number <> 0 Then Fail "the new template could not be customized"

Dim bar, button, control
Set bar = word.CommandBars.Add("Telvora", msoBarTop, False, False)
If Err.Number <> 0 Then Fail "the toolbar could not be made"
For Each button In buttons
    Set control = bar.Controls.Add(msoControlButton)
    control.Caption = button(1)
    control.TooltipText = button(2)
    control.FaceId = CLng(button(3))
    control.Style = msoButtonIconAndCaption
    control.OnAction = "TelvoraMacros." & button(0)
    control.Tag = button(0)
    control.BeginGroup = (button(4) = "group")
    If Err.Number <> 0 Then Fail "the button " & button(0) & " could not be made"
Next
bar.Visible = True

Set word.CustomizationContext = previousContext
If Err.Number <> 0 Then Fail "Word's customization context could not be given back"
doc.SaveAs outPath, wdFormatTemplate
If Err.Number <> 0 Then Fail "the template could not be saved as " & outPath
doc.Close wdDoNotSaveChanges
word.Quit wdDoNotSaveChanges
On Error GoTo 0

WScript.Echo "built " & outPath
WScript.Quit 0
