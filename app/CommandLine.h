#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kolvar {

// What the command line gets instead of a window: a text for standard output or standard error
// and the program's exit code.
struct CommandLineAnswer
{
    QString text;
    int exitCode = 0;
    bool toStandardError = false;
};

// --help (-h) and --version, anywhere among the arguments (the first one names the program).
// They need no display, so they are answered before the toolkit starts; nothing when the
// program is to start.
[[nodiscard]] std::optional<CommandLineAnswer> answerInfoOption(const QStringList& arguments);

// An option the program does not know, once the toolkit has taken its own (-platform, -style):
// it would otherwise be opened as a register's path and end in a read error.
[[nodiscard]] std::optional<CommandLineAnswer> refuseUnknownOption(const QStringList& arguments);

// Writes the answer where it belongs and returns its exit code.
int deliver(const CommandLineAnswer& answer);

} // namespace kolvar
