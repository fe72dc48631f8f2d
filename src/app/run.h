// One run of the tool: SOURCE [DESTINATION [ROOMS]].
#pragma once

// Runs the whole job and gives the exit status: 0 after a run that wrote its
// output, 1 after a failure (its one line printed, no output file left).
int RunCommandLine(int argc, char** argv);
