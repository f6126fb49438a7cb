#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

// The command line of every Veltaro program: --help and --version, the
// program's own options, and for windowed programs Qt's own options
// (-platform, -style, ...) let through to QApplication.
//
// A program adds its options and positional arguments to a parser, then:
//
//     QCommandLineParser parser;
//     parser.addOption(...);
//     if (const auto status = commandline::parse(parser, argc, argv, description))
//         return *status;
//
// before it creates its application object: a windowed program aborts there
// when no display can be reached, and --help must answer all the same.
namespace commandline
{

enum class Kind { Windowed, Console };

// What parsing decided: an exit status when the program is to end now, and
// the text for stdout and stderr.
struct Outcome {
    std::optional<int> status;
    QString out;
    QString err;
};

// arguments[0] is the program as started; its file name names the program.
Outcome parse(QCommandLineParser &parser, const QStringList &arguments, const QString &description,
              Kind kind, const QString &version);

// The version a program reports: line 2 of ClientInfor.inf in its folder
// when there is one, else the version it was built as.
QString installedVersion(const QString &folder);

// Parses argv and prints what there is to print. Returns the exit status
// when the program is to end now: 0 after --help or --version, 2 after an
// unknown option or a missing value.
std::optional<int> parse(QCommandLineParser &parser, int argc, char **argv,
                         const QString &description, Kind kind = Kind::Windowed);

} // namespace commandline
