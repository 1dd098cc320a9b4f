#include "Translations.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QLibraryInfo>
#include <QtCore/QLocale>
#include <QtCore/QRegularExpression>
#include <QtCore/QTranslator>

#include <array>
#include <optional>
#include <vector>

namespace {

constexpr char kContext[] = "CoreText";

// The texts of the core that reach the screen whole: history captions, dialog titles, filter
// names, field labels and messages. Listed here so that lupdate finds them.
constexpr std::array kTexts = {
    // The command table's captions and the other steps of the edit history.
    QT_TRANSLATE_NOOP("CoreText", "Import ASCII"),
    QT_TRANSLATE_NOOP("CoreText", "Save Profile"),
    QT_TRANSLATE_NOOP("CoreText", "Clear table"),
    QT_TRANSLATE_NOOP("CoreText", "Append row"),
    QT_TRANSLATE_NOOP("CoreText", "Delete row"),
    QT_TRANSLATE_NOOP("CoreText", "Insert row"),
    QT_TRANSLATE_NOOP("CoreText", "Update / Sort"),
    QT_TRANSLATE_NOOP("CoreText", "Open profile"),
    QT_TRANSLATE_NOOP("CoreText", "Invert gains"),
    QT_TRANSLATE_NOOP("CoreText", "Offset gains"),
    QT_TRANSLATE_NOOP("CoreText", "Normalize at frequency"),
    QT_TRANSLATE_NOOP("CoreText", "Smooth"),
    QT_TRANSLATE_NOOP("CoreText", "Resample"),
    QT_TRANSLATE_NOOP("CoreText", "Limit frequency range"),
    QT_TRANSLATE_NOOP("CoreText", "Merge duplicate frequencies"),
    QT_TRANSLATE_NOOP("CoreText", "Import Measurement"),
    QT_TRANSLATE_NOOP("CoreText", "Export Profile"),
    QT_TRANSLATE_NOOP("CoreText", "Typing"),
    QT_TRANSLATE_NOOP("CoreText", "Move point"),
    QT_TRANSLATE_NOOP("CoreText", "Add point"),
    QT_TRANSLATE_NOOP("CoreText", "Delete point"),
    QT_TRANSLATE_NOOP("CoreText", "Correction to Reference"),
    QT_TRANSLATE_NOOP("CoreText", "Subtract Reference"),
    QT_TRANSLATE_NOOP("CoreText", "Add Reference"),
    QT_TRANSLATE_NOOP("CoreText", "Fit Parametric EQ"),
    QT_TRANSLATE_NOOP("CoreText", "Import Parametric EQ"),
    // File dialogs: titles and the names of their filters.
    QT_TRANSLATE_NOOP("CoreText", "Load Ulmaro sound profile"),
    QT_TRANSLATE_NOOP("CoreText", "Save as Ulmaro sound profile"),
    QT_TRANSLATE_NOOP("CoreText", "Import sound profile (ASCII)"),
    QT_TRANSLATE_NOOP("CoreText", "Import measurement"),
    QT_TRANSLATE_NOOP("CoreText", "Export profile"),
    QT_TRANSLATE_NOOP("CoreText", "Ulmaro Sound Profile"),
    QT_TRANSLATE_NOOP("CoreText", "All"),
    QT_TRANSLATE_NOOP("CoreText", "Measurement files"),
    QT_TRANSLATE_NOOP("CoreText", "Semicolon text"),
    QT_TRANSLATE_NOOP("CoreText", "Parametric EQ"),
    // The values dialogs' fields.
    QT_TRANSLATE_NOOP("CoreText", "Offset (dB):"),
    QT_TRANSLATE_NOOP("CoreText", "Frequency (Hz):"),
    QT_TRANSLATE_NOOP("CoreText", "Octave fraction:"),
    QT_TRANSLATE_NOOP("CoreText", "Lowest frequency (Hz):"),
    QT_TRANSLATE_NOOP("CoreText", "Highest frequency (Hz):"),
    // Messages.
    QT_TRANSLATE_NOOP("CoreText", "Out of memory"),
    QT_TRANSLATE_NOOP("CoreText", "Sound profile Name missed. Continue?"),
    QT_TRANSLATE_NOOP("CoreText", "Data delemiter char invalid. Function disabled"),
    QT_TRANSLATE_NOOP("CoreText", "File invalid."),
    QT_TRANSLATE_NOOP("CoreText", "Save changes to the sound profile?"),
    QT_TRANSLATE_NOOP("CoreText", "Table data invalid! Check values."),
    QT_TRANSLATE_NOOP("CoreText", "Table data invalid/empty! Check values."),
    QT_TRANSLATE_NOOP("CoreText", "The offset must lie between -1000 and 1000 dB."),
    QT_TRANSLATE_NOOP("CoreText", "The frequency must be above 0 Hz."),
    QT_TRANSLATE_NOOP("CoreText", "The lowest frequency lies above the highest."),
    QT_TRANSLATE_NOOP("CoreText", "Stream read error"),
    QT_TRANSLATE_NOOP("CoreText", "Stream write error"),
    QT_TRANSLATE_NOOP("CoreText", "Range check error"),
    QT_TRANSLATE_NOOP("CoreText", "Not a regular file"),
    QT_TRANSLATE_NOOP("CoreText", "Load a reference curve first."),
    // The equaliser's dialogs and messages.
    QT_TRANSLATE_NOOP("CoreText", "Filters (1 to 32):"),
    QT_TRANSLATE_NOOP("CoreText", "Sample rate (Hz):"),
    QT_TRANSLATE_NOOP("CoreText", "Lowest Q:"),
    QT_TRANSLATE_NOOP("CoreText", "Highest Q:"),
    QT_TRANSLATE_NOOP("CoreText", "Max gain per filter (dB):"),
    QT_TRANSLATE_NOOP("CoreText", "Shelves"),
    QT_TRANSLATE_NOOP("CoreText", "Align at frequency (Hz):"),
    QT_TRANSLATE_NOOP("CoreText", "Max boost (dB):"),
    QT_TRANSLATE_NOOP("CoreText", "Max cut (dB):"),
    QT_TRANSLATE_NOOP("CoreText", "Export parametric EQ"),
    QT_TRANSLATE_NOOP("CoreText", "Import parametric EQ"),
    QT_TRANSLATE_NOOP("CoreText",
                      "The lowest frequency must lie above 0 Hz and below the highest."),
    QT_TRANSLATE_NOOP("CoreText", "The lowest Q must lie above 0 and not above the highest."),
    QT_TRANSLATE_NOOP("CoreText", "The max boost and the max cut must not be below 0 dB."),
    QT_TRANSLATE_NOOP("CoreText", "Not enough points to fit."),
    QT_TRANSLATE_NOOP("CoreText", "The measurement has no point to work with."),
    QT_TRANSLATE_NOOP("CoreText", "The target curve has no point to work with."),
    QT_TRANSLATE_NOOP("CoreText", "The reference curve has no point to work with."),
    // The measurement preview's words and the chart's legend.
    QT_TRANSLATE_NOOP("CoreText", "tab"),
    QT_TRANSLATE_NOOP("CoreText", "semicolon"),
    QT_TRANSLATE_NOOP("CoreText", "comma"),
    QT_TRANSLATE_NOOP("CoreText", "spaces"),
    QT_TRANSLATE_NOOP("CoreText", "GraphicEQ line"),
    QT_TRANSLATE_NOOP("CoreText", "none"),
    QT_TRANSLATE_NOOP("CoreText", "Profile"),
    QT_TRANSLATE_NOOP("CoreText", "EQ fit"),
    QT_TRANSLATE_NOOP("CoreText", "Update / Sort first"),
    QT_TRANSLATE_NOOP("CoreText", "Export..."),
    QT_TRANSLATE_NOOP("CoreText", "Close"),
    QT_TRANSLATE_NOOP("CoreText", "Parametric EQ (*.txt)"),
    // The fit's result window.
    QT_TRANSLATE_NOOP("CoreText", "Type"),
    QT_TRANSLATE_NOOP("CoreText", "Fc (Hz)"),
    QT_TRANSLATE_NOOP("CoreText", "Gain (dB)"),
    QT_TRANSLATE_NOOP("CoreText", "Peaking"),
    QT_TRANSLATE_NOOP("CoreText", "Low shelf"),
    QT_TRANSLATE_NOOP("CoreText", "High shelf"),
    // The table's heading row.
    QT_TRANSLATE_NOOP("CoreText", "Index"),
    QT_TRANSLATE_NOOP("CoreText", "f(Hz)"),
    QT_TRANSLATE_NOOP("CoreText", "Gain(dB)"),
};

// Texts with values inside. A value is a file name, a number or the system's own words and stays
// as it is, unless the pattern says it is one of the core's texts itself.
struct Pattern {
    const char* source;
    bool valuesAreTexts = false;
};

const std::array kPatterns = {
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Sound Profile saved: %1")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Profile exported: %1")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Reading %1...")},
    Pattern{QT_TRANSLATE_NOOP(
        "CoreText",
        "Marvek Engineering Germany\nSound profil editor for RTA software Ulmaro\nVer. %1")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "'%1' is not a valid floating point value.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText",
                              "'%1' is not one of 1/1, 1/2, 1/3, 1/6, 1/12, 1/24 or 1/48.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText",
                              "The result would take the gain of row %1 beyond the "
                              "limit of -1000 to 1000 dB; the profile stays as it is.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText",
                              "No point lies between %1 and %2 Hz; the profile stays as it is.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Cannot create file \"%1\". %2"), true},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "%1. The previous file is kept as \"%2\"")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Cannot create file \"%1\"")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Cannot open file \"%1\". %2")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Cannot read file \"%1\". %2")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Stream read error: %1")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Stream write error: %1")},
    Pattern{QT_TRANSLATE_NOOP("CoreText",
                              "Cannot export: point %1 holds %2, which is not a finite number")},
    Pattern{QT_TRANSLATE_NOOP("CoreText",
                              "Row %1: the frequency %2 Hz is not above 0 Hz; FRD and GraphicEQ "
                              "files need positive frequencies")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "No measurement data in \"%1\"")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Delimiter: %1, data lines: %2, skipped lines: %3"),
            true},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Column %1")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "%1  |  point %2")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "A point at %1 Hz exists already")},
    Pattern{QT_TRANSLATE_NOOP(
        "CoreText", "The number of filters must be a whole number from 1 to 32, not %1.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText",
                              "The highest frequency must lie below half the sample rate, %1 Hz.")},
    Pattern{
        QT_TRANSLATE_NOOP("CoreText", "The max gain per filter must lie above 0 dB, not %1 dB.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Preamp: %1 dB")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "RMS error: %1 dB")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Parametric EQ exported: %1")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "The number of filters must be from 1 to 32, not %1.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "The sample rate must be above 0 Hz, not %1 Hz.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText",
                              "The lowest frequency of the band must be above 0 Hz, not %1 Hz.")},
    Pattern{QT_TRANSLATE_NOOP(
        "CoreText", "The lowest frequency of the band (%1 Hz) must be below its highest (%2 Hz).")},
    Pattern{QT_TRANSLATE_NOOP(
        "CoreText",
        "The highest frequency of the band (%1 Hz) must be below half the sample rate (%2 Hz).")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "The lowest Q must be above 0, not %1.")},
    Pattern{QT_TRANSLATE_NOOP(
        "CoreText", "The highest Q (%1) must be finite and not below the lowest Q (%2).")},
    Pattern{QT_TRANSLATE_NOOP("CoreText",
                              "The largest gain must be above 0 dB and finite, not %1 dB.")},
    Pattern{QT_TRANSLATE_NOOP(
        "CoreText", "Cannot fit: the point at %1 Hz holds %2, which is not a finite number.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText",
                              "The octave fraction must be 1, 2, 3, 6, 12, 24 or 48, not %1.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Line %1: the filter is neither ON nor OFF.")},
    Pattern{
        QT_TRANSLATE_NOOP("CoreText", "Line %1: the filter type \"%2\" is not PK, LSC or HSC.")},
    Pattern{QT_TRANSLATE_NOOP(
        "CoreText", "Line %1: the filter needs Fc, Gain and Q, each a number, Fc and Q above 0.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "Line %1: the preamp is not a number of decibels.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "No filters in \"%1\"")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "The align frequency must be above 0 Hz, not %1 Hz.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "The maximum boost must not be below 0 dB, not %1 dB.")},
    Pattern{QT_TRANSLATE_NOOP("CoreText", "The maximum cut must not be below 0 dB, not %1 dB.")},
};

QString Translate(const char* source) {
    return QCoreApplication::translate(kContext, source);
}

// The pattern's fixed words as a whole-text expression, each %n a group that takes any text.
struct CompiledPattern {
    QRegularExpression expression;
    std::vector<int> order; // the %n of each group, from the left
};

const std::vector<CompiledPattern>& CompiledPatterns() {
    static const std::vector<CompiledPattern> compiled = [] {
        static const QRegularExpression marker(QStringLiteral("%(\\d)"));
        std::vector<CompiledPattern> all;
        for (const Pattern& pattern : kPatterns) {
            const QString source = QString::fromUtf8(pattern.source);
            CompiledPattern entry;
            QString expression;
            qsizetype from = 0;
            for (auto it = marker.globalMatch(source); it.hasNext();) {
                const QRegularExpressionMatch match = it.next();
                expression +=
                    QRegularExpression::escape(source.mid(from, match.capturedStart() - from));
                expression += QStringLiteral("(.*)");
                entry.order.push_back(match.captured(1).toInt());
                from = match.capturedEnd();
            }
            expression += QRegularExpression::escape(source.mid(from));
            entry.expression = QRegularExpression(QRegularExpression::anchoredPattern(expression),
                                                  QRegularExpression::DotMatchesEverythingOption);
            all.push_back(std::move(entry));
        }
        return all;
    }();
    return compiled;
}

bool IsListed(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    for (const char* source : kTexts) {
        if (utf8 == source) {
            return true;
        }
    }
    return false;
}

std::optional<QString> Lookup(const QString& text) {
    if (IsListed(text)) {
        return Translate(text.toUtf8().constData());
    }
    const std::vector<CompiledPattern>& compiled = CompiledPatterns();
    for (std::size_t i = 0; i < compiled.size(); ++i) {
        const QRegularExpressionMatch match = compiled[i].expression.match(text);
        if (!match.hasMatch()) {
            continue;
        }
        QString result = Translate(kPatterns[i].source);
        // Filled in one pass, so that a value holding "%2" stays as it is.
        std::vector<QString> values(compiled[i].order.size() + 1);
        for (std::size_t group = 0; group < compiled[i].order.size(); ++group) {
            const QString value = match.captured(static_cast<int>(group) + 1);
            const auto slot = static_cast<std::size_t>(compiled[i].order[group]);
            if (slot < values.size()) {
                values[slot] =
                    kPatterns[i].valuesAreTexts ? CoreText(value.toStdU16String()) : value;
            }
        }
        switch (values.size() - 1) {
        case 1:
            return result.arg(values[1]);
        case 2:
            return result.arg(values[1], values[2]);
        default:
            return result.arg(values[1], values[2], values[3]);
        }
    }
    return std::nullopt;
}

} // namespace

bool InstallTranslations(const QLocale& locale) {
    // The translations are compiled into the shell library, which nothing else references.
    Q_INIT_RESOURCE(translations);
    auto* app = QCoreApplication::instance();
    auto* own = new QTranslator(app);
    if (!own->load(locale, QStringLiteral("soundprofile-editor"), QStringLiteral("_"),
                   QStringLiteral(":/i18n"))) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(own);
    // Qt's own words (Yes, No, Cancel, the file dialog) come with Qt where the system has them.
    auto* qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    } else {
        delete qt;
    }
    return true;
}

QString CoreText(std::u16string_view text) {
    // The core breaks lines the Windows way; the entries, like Qt, with a bare line feed.
    const QString source = QString::fromUtf16(text.data(), text.size())
                               .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (std::optional<QString> found = Lookup(source)) {
        return *found;
    }
    // The general error handler ends a message with a dot where it has none.
    if (source.endsWith(u'.')) {
        if (std::optional<QString> found = Lookup(source.chopped(1))) {
            return found->endsWith(u'.') ? *found : *found + u'.';
        }
    }
    return source;
}

std::u16string CoreFilter(std::u16string_view filter) {
    QStringList parts = QString::fromUtf16(filter.data(), filter.size()).split(u'|');
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        parts[i] = CoreText(parts[i].toStdU16String());
    }
    return parts.join(u'|').toStdU16String();
}
