// Conditions the program's own code must meet, checked in every build: a broken one is a fault
// of the program, not of its surroundings, so it stops at once with a message saying which.
#pragma once

namespace zarvio {

// Writes the message to the error output and the debugger, then ends the process.
[[noreturn]] void ContractBroken(const char* what);

// The service a caller must be given; one that is missing stops the program with the message.
template <typename T>
T& Required(T* service, const char* what) {
    if (!service) ContractBroken(what);
    return *service;
}

}  // namespace zarvio
