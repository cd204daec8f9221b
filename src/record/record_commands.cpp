#include "record/record_commands.h"

namespace zeltrand {

void RecordCommands::Record() {}
void RecordCommands::ChooseFile() {}
void RecordCommands::Import() {}

}  // namespace zeltrand
