// A compiler barrier on one value, for the table-driven ciphers: the
// optimiser otherwise re-associates chains of XORs into one long serial chain
// (or starts them from the operand that is ready last), which lengthens the
// critical path of every round. The empty assembly statement emits no
// instruction; GCC and clang, the project's two compilers, both accept it.
#pragma once

#include <cstdint>

inline void KeepAsComputed(std::uint32_t& value) {
    asm("" : "+r"(value));
}
