#pragma once

#include <QString>

// An operation of a base contract that a class does not support. Nothing in
// the program calls one; a call is a programming error, so it is reported by
// the operation's full signature and the program ends.
[[noreturn]] void unimplementedFunctionCalled(const QString &signature);
