#include "command_line/usage.h"

#include "command_line/options.h"
#include "report/exit_status.h"
#include "version.h"

std::string ShortUsage()
{
    return "Usage: uninstall-addin.exe [/quiet] [/log:<file>] [/timeout:<seconds>] [/force] "
           "[/remove] [/anyfolder] <add-in file>\n"
           "       uninstall-addin.exe /registry [/allusers] [/remove] [/anyfolder] [/quiet] "
           "[/log:<file>] [/timeout:<seconds>] [/force] <add-in file>...\n"
           "       uninstall-addin.exe /check [/allusers] [/anyfolder] [/json] [/quiet] "
           "[/log:<file>] <add-in file>...\n"
           "       uninstall-addin.exe /list [/allusers] [/json] [/quiet] [/log:<file>]\n"
           "\"uninstall-addin.exe /?\" describes the switches and exit statuses.";
}

std::string FullUsage()
{
    std::string text =
        std::string("uninstall-addin ") + kProgramVersion +
        ": uninstalls one Excel add-in, through Excel itself or through\n"
        "Excel's lists in the registry.\n"
        "\n"
        "Usage: uninstall-addin.exe [switches] <add-in file>...\n"
        "\n"
        "  (none)              Start Excel, uninstall the add-in through it, wait for that\n"
        "                      Excel to end, and check the list it left.\n"
        "  /remove             Take the add-in off Excel's Add-ins dialog too.\n"
        "  /registry           Don't start Excel: take the add-in out of this user's lists\n"
        "                      in the registry, for every Excel version. The add-in's own\n"
        "                      uninstall code does not run.\n"
        "  /allusers           As /registry, for every user profile of the machine and the\n"
        "                      default profile (needs administrator rights). As SYSTEM or\n"
        "                      another service account, every run needs it.\n"
        "  /check              Only print where the add-in is installed, a line each; change\n"
        "                      nothing. Goes with /allusers.\n"
        "  /list               Print every add-in in Excel's lists, a line each, with no\n"
        "                      add-in file given; change nothing. Goes with /allusers.\n"
        "  /json               With /list or /check: one JSON object per line, in ASCII.\n"
        "  /anyfolder          Every copy of the add-in: its file name in any folder.\n"
        "  /quiet, /q          Show no boxes: each report is a line on standard error.\n"
        "                      Where nobody can see a box (a service), this is the default.\n"
        "  /log:<file>         Append a timestamped record of the run to <file> (UTF-8).\n"
        "  /timeout:<seconds>  The longest wait on Excel in any one step, and for another\n"
        "                      run's change of Excel's add-in lists (default " +
        std::to_string(kDefaultTimeoutSeconds) +
        ";\n"
        "                      0 waits for ever). A busy Excel is asked again until then.\n"
        "  /force              Go on even when Excel is already open. That Excel may undo\n"
        "                      the uninstall when it closes.\n"
        "  /?, /h, /help       Show this text.\n"
        "  --                  End of the switches: the next argument is the add-in file.\n"
        "\n"
        "Switches come before or after the add-in file, in any case, as /name, -name or\n"
        "--name. Put a path with blanks in quotes. /registry, /allusers and /check take\n"
        "several add-in files; a run through Excel takes the first.\n"
        "\n"
        "Exit status:";
    for (int status = kExitUninstalled; status <= kExitListFailed; ++status) {
        text += "\n  " + std::to_string(status) + "  " + ExitStatusMeaning(status);
    }
    return text;
}
