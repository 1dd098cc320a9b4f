#pragma once
// What the core's commands need from the desktop, done with Qt: file dialogs, message boxes,
// closing the window and the program's own path; and the user's number notation.

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <filesystem>
#include <optional>
#include <string_view>

#include "main_f.h"
#include "number_text.h"

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

// Real dialogs, the measurement preview and message boxes, modal over `window`; CloseMainWindow
// closes `window`, which must outlive every use of the record.
TDesktop QtDesktop(QWidget& window);

// A filter "Name|pattern|Name|pattern..." (several patterns separated by ';') as Qt's name
// filters "Name (pattern pattern)", in the same order. A trailing name without a pattern is left
// out. Outside Windows "*.*" becomes "*": there it would match only names with a dot.
QStringList QtNameFilters(std::u16string_view filter);

// The extension, without its dot, of the first pattern of a Qt name filter "Name (*.csv *.txt)";
// empty when that pattern names no extension.
QString FilterSuffix(const QString& nameFilter);

// The folder a file dialog opens in: the given one, else the user's documents folder, else the
// home folder.
QString DialogFolder(const std::filesystem::path& initialFolder);

// The decimal separator of the system's locale, '.' where it gives none.
NumberNotation SystemNotation();

// The profile named on the command line (the program's arguments as Qt gives them, the program
// first): the first argument, when it names a file ending in ".ump" in any letter case. Every
// other argument is ignored.
std::optional<std::filesystem::path> ProfileArgument(const QStringList& arguments);
