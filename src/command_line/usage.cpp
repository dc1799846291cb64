#include "command_line/usage.h"

#include "report/exit_status.h"
#include "command_line/options.h"
#include "version.h"

std::string ShortUsage()
{
    return "Usage: uninstall-addin.exe [/quiet] [/log:<file>] [/timeout:<seconds>] [/force] "
           "<add-in file>\n"
           "\"uninstall-addin.exe /?\" describes the switches and exit statuses.";
}

std::string FullUsage()
{
    std::string text =
        std::string("uninstall-addin ") + kProgramVersion +
        ": marks one Excel add-in as not installed, through Excel itself.\n"
        "\n"
        "Usage: uninstall-addin.exe [switches] <add-in file>\n"
        "\n"
        "  /quiet, /q          Show no boxes: each report is a line on standard error.\n"
        "  /log:<file>         Append a timestamped record of the run to <file> (UTF-8).\n"
        "  /timeout:<seconds>  The longest wait on Excel in any one step (default " +
        std::to_string(kDefaultTimeoutSeconds) +
        ";\n"
        "                      0 waits for ever). A busy Excel is asked again until then.\n"
        "  /force              Go on even when Excel is already open. That Excel may undo\n"
        "                      the uninstall when it closes.\n"
        "  /?, /h, /help       Show this text.\n"
        "  --                  End of the switches: the next argument is the add-in file.\n"
        "\n"
        "Switches come before the add-in file, in any case, as /name, -name or --name.\n"
        "\n"
        "Exit status:";
    for (int status = kExitUninstalled; status <= kExitExcelWasRunning; ++status) {
        text += "\n  " + std::to_string(status) + "  " + ExitStatusMeaning(status);
    }
    return text;
}
