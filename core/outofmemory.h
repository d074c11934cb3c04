// Memory running out during a command of the core ends that command, not the program.
#pragma once

#include <new>
#include <stdexcept>
#include <string>

inline constexpr const char kOutOfMemory[] = "Memoria insuficiente: la operación no se ha completado";

// Runs one command. When memory runs out (or a size exceeds what the library can hold), undo puts
// back what the command had changed, error gets kOutOfMemory and the result is false. undo should
// need little memory itself; whatever it cannot restore stays as it is.
template <typename Body, typename Undo>
bool UnlessOutOfMemory(std::string& error, Body&& body, Undo&& undo) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    try {
        undo();
    } catch (...) {
    }
    error.clear();
    try {
        error = kOutOfMemory;
    } catch (const std::bad_alloc&) {
    }
    return false;
}
