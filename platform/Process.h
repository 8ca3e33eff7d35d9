// Starting another program, detached from this one, with an argument vector.
//
// Nothing passes through a shell: the arguments reach the program byte for byte, whatever they
// hold (blanks, quotes, ";", "$()", newlines, bytes that are no UTF-8). The program is found in
// PATH unless its name holds a "/". The child is started in a session of its own and is never
// waited for by the caller (no zombie is left behind). Safe on any thread.
#pragma once

#include <string>
#include <vector>

// The executable that Program names: Program itself when it holds a "/", else the first
// executable file of that name in the folders of PATH; empty when there is none.
std::string FindProgram(const std::string& Program);

// Starts Argv[0] (looked up with FindProgram) with Argv as its arguments. True once the program
// runs; false with Error set when there is none or it could not be started.
bool StartDetached(const std::vector<std::string>& Argv, std::string& Error);
