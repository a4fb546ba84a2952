Attribute VB_Name = "TelvoraMacros"
' The companion template's macros. Each toolbar button runs one of them, and each hands its command
' to the add-in through the command object "Telvora.Buttons": the add-in does the work, so these
' macros stay one line each and never need changing when the add-in does.
'
' The module is written in the part of the macro language that VBA and VBScript share (no typed
' declarations), so the same text can be exercised outside Word.
Option Explicit

Private Function TelvoraCommands()
    Set TelvoraCommands = CreateObject("Telvora.Buttons")
End Function

Public Sub MarkFaxNumber()
    TelvoraCommands().cmdFaxnumber
End Sub

Public Sub MarkRecipientName()
    TelvoraCommands().cmdFaxName
End Sub

Public Sub MarkCompany()
    TelvoraCommands().cmdFaxCompany
End Sub

Public Sub MarkSubject()
    TelvoraCommands().cmdFaxSubject
End Sub

Public Sub SendFax()
    TelvoraCommands().cmdFax
End Sub

Public Sub QuickFax()
    TelvoraCommands().cmdQuickFax
End Sub

Public Sub FaxMerge()
    TelvoraCommands().ToolsFaxMerge
End Sub

Public Sub FaxStatus()
    TelvoraCommands().cmdFaxStatus
End Sub

Public Sub FaxSettings()
    TelvoraCommands().cmdSettings
End Sub

Public Sub FaxPrinterSetup()
    TelvoraCommands().ToolsPrinter
End Sub

Public Sub TelvoraHelp()
    TelvoraCommands().cmdHelp
End Sub

Public Sub AboutTelvora()
    TelvoraCommands().cmdHelpAbout
End Sub

' Whether the toolbar shows when Word starts: kept in the setting "ShowToolbar" where the add-in,
' which shows or hides the toolbar at start-up, reads it. "1"/"0" and "True"/"False" both count.
Private Function ToolbarWanted()
    Dim commands, stored
    Set commands = TelvoraCommands
    stored = LCase(Trim(GetSetting(commands.getAppName, commands.getSectionName, "ShowToolbar", "1")))
    ToolbarWanted = Not (stored = "0" Or stored = "false")
End Function

Private Sub KeepToolbar(visible)
    Dim commands
    Set commands = TelvoraCommands
    If visible Then
        SaveSetting commands.getAppName, commands.getSectionName, "ShowToolbar", "1"
    Else
        SaveSetting commands.getAppName, commands.getSectionName, "ShowToolbar", "0"
    End If
    CommandBars("Telvora").Visible = visible
End Sub

Public Sub ShowToolbar()
    KeepToolbar True
End Sub

Public Sub HideToolbar()
    KeepToolbar False
End Sub

Public Sub ToggleToolbar()
    KeepToolbar Not ToolbarWanted
End Sub
