' Checks the removal actions of the WiX recipe's package where Wine's msiexec
' can't show them, through Windows Installer's own evaluation of the
' package: which of its two runs each removal chooses (Windows Installer
' sets UserSID to the account that removes the product; Wine runs every
' package as its one user, so SYSTEM's removal can't be run here), that
' neither runs when a major upgrade removes the old version or when only a
' feature goes, and that both lie in the installation script, between
' InstallInitialize and RemoveFiles, where Windows Installer runs a deferred
' action (Wine runs one from anywhere).
'
'   cscript //nologo wix_recipe_check.vbs <package.msi>
Option Explicit

Const msiUILevelNone = 2
Const msiOpenPackageFlagsIgnoreMachineState = 1
Const msidbCustomActionTypeInScript = &H400
Const msidbCustomActionTypeNoImpersonate = &H800
Const ForUser = "UninstallAddInForUser"
Const ForAllUsers = "UninstallAddInForAllUsers"

Dim installer, session, database, failures
Set installer = CreateObject("WindowsInstaller.Installer")
installer.UILevel = msiUILevelNone
Set session = installer.OpenPackage(WScript.Arguments(0), msiOpenPackageFlagsIgnoreMachineState)
Set database = session.Database
failures = 0

Sub Fail(text)
    WScript.Echo "FAILED: " & text
    failures = failures + 1
End Sub

' The first field of the first row a query gives, or "" when none.
Function Field(query, column)
    Dim view, record
    Set view = database.OpenView(query)
    view.Execute
    Set record = view.Fetch
    If record Is Nothing Then
        Field = ""
    Else
        Field = record.StringData(column)
    End If
    view.Close
End Function

Function Sequence(action)
    Sequence = CLng("0" & Field("SELECT `Sequence` FROM `InstallExecuteSequence` WHERE `Action` = '" & action & "'", 1))
End Function

Function Condition(action)
    Condition = Field("SELECT `Condition` FROM `InstallExecuteSequence` WHERE `Action` = '" & action & "'", 1)
End Function

' The runs whose action and whose command line's action both hold.
Function Chosen()
    Dim action
    Chosen = ""
    For Each action In Array(ForUser, ForAllUsers)
        If session.EvaluateCondition(Condition(action)) = 1 _
            And session.EvaluateCondition(Condition("Set" & action)) = 1 Then
            Chosen = Trim(Chosen & " " & action)
        End If
    Next
End Function

' The removing account | REMOVE | UPGRADINGPRODUCTCODE | the run chosen
Dim rows, row, fields
rows = Array( _
    "S-1-5-21-1004336348-1177238915-682003330-1001|ALL||" & ForUser, _
    "S-1-5-18|ALL||" & ForAllUsers, _
    "S-1-5-19|ALL||" & ForAllUsers, _
    "S-1-5-20|ALL||" & ForAllUsers, _
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464|ALL||" & ForAllUsers, _
    "S-1-12-1-1234567890-1234567890-1234567890-1234567890|ALL||" & ForUser, _
    "S-1-5-21-1004336348-1177238915-682003330-1001|ALL|{6F1D6A3C-0000-4C1A-9D4E-2B7B8C1E0A11}|", _
    "S-1-5-18|ALL|{6F1D6A3C-0000-4C1A-9D4E-2B7B8C1E0A11}|", _
    "S-1-5-21-1004336348-1177238915-682003330-1001|||", _
    "S-1-5-18|||", _
    "S-1-5-21-1004336348-1177238915-682003330-1001|Main||")
For Each row In rows
    fields = Split(row, "|")
    session.Property("UserSID") = fields(0)
    session.Property("REMOVE") = fields(1)
    session.Property("UPGRADINGPRODUCTCODE") = fields(2)
    If Chosen() <> fields(3) Then
        Fail "UserSID " & fields(0) & ", REMOVE """ & fields(1) & """, UPGRADINGPRODUCTCODE """ & _
            fields(2) & """: runs """ & Chosen() & """, not """ & fields(3) & """"
    End If
Next

' Where each run lies, how it runs and what it runs.
Dim action, kind, commandLine
For Each action In Array(ForUser, ForAllUsers)
    If Not (Sequence("InstallInitialize") < Sequence("Set" & action) _
            And Sequence("Set" & action) < Sequence(action) _
            And Sequence(action) < Sequence("RemoveFiles")) Then
        Fail action & " and its command line are not between InstallInitialize and RemoveFiles"
    End If
    kind = CLng("0" & Field("SELECT `Type` FROM `CustomAction` WHERE `Action` = '" & action & "'", 1))
    commandLine = Field("SELECT `Target` FROM `CustomAction` WHERE `Action` = 'Set" & action & "'", 1)
    If (kind And msidbCustomActionTypeInScript) = 0 Then Fail action & " is not deferred"
    If ((kind And msidbCustomActionTypeNoImpersonate) <> 0) <> (action = ForAllUsers) _
        Or (InStr(commandLine, "/allusers") > 0) <> (action = ForAllUsers) Then
        Fail action & " runs " & commandLine & (", impersonated: " & ((kind And msidbCustomActionTypeNoImpersonate) = 0))
    End If
Next

If failures > 0 Then WScript.Quit 1
WScript.Echo "the package's removal runs: one for each account, none in an upgrade, both in the script"
