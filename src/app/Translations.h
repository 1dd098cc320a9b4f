#pragma once
// The interface's language: the translator chosen from the system's language at start, and the
// texts the core hands to the window (captions, dialog titles, messages), which the core keeps in
// English and the shell translates on their way to the screen.

#include <QtCore/QString>

#include <string>
#include <string_view>

QT_BEGIN_NAMESPACE
class QLocale;
QT_END_NAMESPACE

// Installs the program's translation for `locale` (German for German, none otherwise) and Qt's
// own for its standard buttons and dialogs where the system has it. True when the program's
// translation was installed.
bool InstallTranslations(const QLocale& locale);

// The core's text in the interface's language: its entry; else the entry with %1, %2... whose
// fixed words match the text around the values (a file name, a number); else the text as it is.
// A sentence that ends in a dot the core added finds the entry without it. Lines break with a
// bare line feed.
QString CoreText(std::u16string_view text);

// A file dialog's filter "Name|pattern|Name|pattern..." with its names in the interface's language.
std::u16string CoreFilter(std::u16string_view filter);
