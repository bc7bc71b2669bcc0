// tarvisk-tool cfg: read or write a user configuration (.CFG) file.

#include "tools/lib/cfg_tool.h"
#include "tools/tool/tool_command.h"

namespace tarvisk {

extern const ToolCommand CfgToolCommand;
const ToolCommand CfgToolCommand{"cfg", "print the rows of a .CFG file, or write the built-in one",
                                 RunCfgTool};

}  // namespace tarvisk
