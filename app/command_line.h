#pragma once
// The model file named on the command line, found among the options that
// the window library takes (-display X, -geometry WxH+X+Y, -direct,
// -indirect, -iconic, -gldebug, -sync). Apart from "--newer", which is
// taken out first, the arguments all go to glutInit unchanged.

#include <string>
#include <vector>

// The indices in argv of the arguments that are neither such an option nor
// an option's value, in order.
std::vector<int> FindModelArguments(int argc, char** argv);
// The first of them, or 0 when there is none.
int FindModelArgument(int argc, char** argv);

// Takes every "--newer" that is not an option's value out of argv, keeping
// the other arguments in their order, so that the window library sees the
// command line it sees without it; true when there was one.
bool TakeNewerOption(int& argc, char** argv);
// The same for any option of the program's own ("--as-modelled").
bool TakeOption(int& argc, char** argv, const char* option);

// The usage that --help prints; the keys as modelled come from key_list.h.
std::string UsageText();
// A first argument "--help" or "--version": prints the usage or the version
// on standard output and returns true; the program then ends with status 0.
bool PrintInformationAsked(int argc, char** argv);
