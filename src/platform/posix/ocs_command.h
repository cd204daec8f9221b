// zeltrand-summary --ocs URL RECORD_FILE: the latest record of every PC in
// the record file to the inventory server at URL, one after the other over
// one connection. Prints how many were sent
// and which failed (UTF-8). Exit codes: 0 all sent, 1 some failed, 2 the
// record file cannot be read, 64 wrong arguments.
#pragma once

namespace zeltrand::posix {

bool IsOcsCommand(int argc, char** argv);
int RunOcsCommand(int argc, char** argv);

}  // namespace zeltrand::posix
