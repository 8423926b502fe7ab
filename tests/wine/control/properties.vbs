' A script host's view of the control: create it by its ProgID, read every
' default, write and read back each type, and check the conversion errors.
Option Explicit
Dim ctl, failures
failures = 0

Sub Check(what, actual, expected)
  If actual <> expected Then
    WScript.Echo "FAIL " & what & ": got " & actual & ", expected " & expected
    failures = failures + 1
  End If
End Sub

Set ctl = CreateObject("VELMARICAE.VelmaricAECtrl.1")

Check "WatchdogTimeout", ctl.WatchdogTimeout, 15
Check "AddNewEventsToBottom", ctl.AddNewEventsToBottom, False
Check "LocalizeTimestamps", ctl.LocalizeTimestamps, False
Check "SuppressAcknEvents", ctl.SuppressAcknEvents, False
Check "SuppressResetEvents", ctl.SuppressResetEvents, False
Check "FieldOrder", ctl.FieldOrder, "012345"
Check "Field0Width", ctl.Field0Width, 8
Check "Field1Width", ctl.Field1Width, 40
Check "Field2Width", ctl.Field2Width, 40
Check "Field3Width", ctl.Field3Width, 48
Check "Field4Width", ctl.Field4Width, 32
Check "Field5Width", ctl.Field5Width, 12
Check "TextColorA", ctl.TextColorA, 0
Check "TextColorB", ctl.TextColorB, 0
Check "TextColorC", ctl.TextColorC, 0
Check "TextColorD", ctl.TextColorD, 0
Check "TextColorE", ctl.TextColorE, 0
Check "TextColorF", ctl.TextColorF, 0
Check "BackColorA", ctl.BackColorA, &HFFFFFF
Check "BackColorB", ctl.BackColorB, &HFFFFFF
Check "BackColorC", ctl.BackColorC, &HFFFFFF
Check "BackColorD", ctl.BackColorD, &HFFFFFF
Check "BackColorE", ctl.BackColorE, &HFFFFFF
Check "BackColorF", ctl.BackColorF, &HFFFFFF
Check "SeverityA", ctl.SeverityA, 1
Check "SeverityB", ctl.SeverityB, 200
Check "SeverityC", ctl.SeverityC, 400
Check "SeverityD", ctl.SeverityD, 600
Check "SeverityE", ctl.SeverityE, 800
Check "HideClearAllMenuItem", ctl.HideClearAllMenuItem, False
Check "HideResetPropertiesMenuItem", ctl.HideResetPropertiesMenuItem, True
Check "HideConnectionMenuItems", ctl.HideConnectionMenuItems, False
Check "DisableColumnSizing", ctl.DisableColumnSizing, False

' Writes of each type read back as written, with no range check.
ctl.WatchdogTimeout = 1000
Check "WatchdogTimeout written", ctl.WatchdogTimeout, 1000
ctl.LocalizeTimestamps = True
Check "LocalizeTimestamps written", ctl.LocalizeTimestamps, True
ctl.FieldOrder = "543210"
Check "FieldOrder written", ctl.FieldOrder, "543210"
ctl.BackColorB = &H00FF00
Check "BackColorB written", ctl.BackColorB, &H00FF00
Check "colour arithmetic", ctl.BackColorB + 1, &H00FF01
ctl.SeverityE = -5
Check "SeverityE written", ctl.SeverityE, -5

' Conversion errors: type mismatch (13) and overflow (6) keep the old value.
On Error Resume Next
ctl.Field1Width = "wide"
Check "type mismatch error", Err.Number, 13
Err.Clear
ctl.Field1Width = 70000
Check "overflow error", Err.Number, 6
Err.Clear
ctl.AboutBox
Check "AboutBox fails", (Err.Number <> 0), True
Err.Clear
On Error GoTo 0
Check "Field1Width kept", ctl.Field1Width, 40

If failures = 0 Then
  WScript.Echo "ALL PASSED"
Else
  WScript.Echo failures & " FAILED"
End If
