// The commands of harbrook-phone, one function each; main() only dispatches.
#pragma once

namespace harbrook::phone {

int RunBackupCommand(int argc, char** argv);
int RunReceiveCommand(int argc, char** argv);

}  // namespace harbrook::phone
