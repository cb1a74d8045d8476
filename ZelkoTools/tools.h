// ZelkoTools.exe, the setup tool. It carries out the first of these options that its
// command line holds, and only that one:
//   -skin PATH      does the skin's layout file PATH fit the screen? (SkinError)   exit 0
//   -panels:PageN   switch an optional page on or off, after asking     exit 1, 0 if declined
//   -install        register the plugin with the home screen                           exit 1
//   -uninstall      stop the engine's persistent launches                              exit 1
//   -unzip -zipfile:ARCHIVE -dirpath:FOLDER   unpack a skin archive                    exit 1
// Without any of them it changes nothing and ends with 0.
#pragma once

#include <string>
#include <string_view>

namespace zelko {
class Suite;
}

namespace zelko::tools {

// The layout file of "-skin": the whole rest of the command line after its first blank,
// blanks included; empty when there is none.
std::string skinPathOf(std::string_view commandLine);

// Runs the option the started-up settings hold on a command line `commandLine`; the exit
// code.
int run(Suite& suite, std::string_view commandLine);

}  // namespace zelko::tools
