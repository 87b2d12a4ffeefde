#pragma once
// The model file named on the command line, found among the options that
// the window library takes (-display X, -geometry WxH+X+Y, -direct,
// -indirect, -iconic, -gldebug, -sync). The arguments are not changed: they
// all still go to glutInit.

// The index in argv of the first argument that is neither such an option
// nor an option's value, or 0 when there is none.
int FindModelArgument(int argc, char** argv);
