// The window under German: the translation chosen from the locale, the window's and the core's
// texts in German, and the menus' Alt letters still apart.

#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QLocale>
#include <QtCore/QTranslator>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QTableView>

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "MainWindow.h"
#include "Translations.h"
#include "editor_commands.h"
#include "number_text.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

// A failing comparison shows the text, not its bytes.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

void RemoveTranslations() {
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

QLocale German() {
    return QLocale(QLocale::German, QLocale::Germany);
}

// The text as the user reads it in a menu: without the key shown after a tab.
QString Caption(const QAction& item) {
    return item.text().section(u'\t', 0, 0);
}

// Every item of the menu bar, its menus and the table's pop-up menu, by the object name of the
// menu and of the item.
std::map<std::string, QString> MenuItems(const MainWindow& window) {
    std::map<std::string, QString> items;
    std::vector<const QWidget*> menus{window.menuBar()};
    for (const QMenu* menu : window.findChildren<QMenu*>()) {
        // Not the menu bar's own menu of the titles it has no room for.
        if (!menu->objectName().isEmpty()) {
            menus.push_back(menu);
        }
    }
    for (const QWidget* menu : menus) {
        for (const QAction* item : menu->actions()) {
            if (!item->isSeparator()) {
                const QString name = item->menu() ? item->menu()->objectName() : item->objectName();
                items[(menu->objectName() + u'/' + name).toStdString()] =
                    item->menu() ? item->menu()->title() : Caption(*item);
            }
        }
    }
    return items;
}

class GermanInterface : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTranslations();
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }
    void TearDown() override {
        RemoveTranslations();
        CurrentSoundProfil = TSoundProfil{};
    }
};

TEST_F(GermanInterface, OnlyAGermanLocaleInstallsTheTranslation) {
    const struct {
        QLocale locale;
        bool german;
    } cases[] = {
        {QLocale(QLocale::German, QLocale::Germany), true},
        {QLocale(QLocale::German, QLocale::Austria), true},
        {QLocale(QLocale::English, QLocale::UnitedStates), false},
        {QLocale(QLocale::French, QLocale::France), false},
        {QLocale::c(), false},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.locale.name().toStdString());
        RemoveTranslations();
        EXPECT_EQ(InstallTranslations(entry.locale), entry.german);
        EXPECT_EQ(CoreText(u"Delete row").toStdString(),
                  entry.german ? "Zeile löschen" : "Delete row");
        EXPECT_EQ(QCoreApplication::translate("MainWindow", "&File").toStdString(),
                  entry.german ? "&Datei" : "&File");
    }
}

TEST_F(GermanInterface, WindowShowsItsTextsInGerman) {
    ASSERT_TRUE(InstallTranslations(German()));
    MainWindow window;
    EXPECT_EQ(window.windowTitle(), u"Ulmaro Soundprofil-Editor");
    const std::map<std::string, QString> items = MenuItems(window);
    EXPECT_EQ(items.at("MainMenu1/File1"), u"&Datei");
    EXPECT_EQ(items.at("File1/ExportChart1"), u"Diagramm als Bil&d exportieren...");
    EXPECT_EQ(items.at("PopupMenu1/acDelRow2"), u"Zeile &löschen");
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              u"Name des Soundprofils:");
    // The table's heading row comes from the core.
    const QAbstractItemModel& table = *window.findChild<QTableView*>()->model();
    EXPECT_EQ(table.index(0, 2).data().toString(), u"Pegel dB");
    EXPECT_EQ(table.index(0, 1).data().toString(), u"f(Hz)");

    // The edit history names its steps in German too.
    window.show();
    auto* name = window.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("x"));
    EXPECT_EQ(Caption(*window.findChild<QAction*>(QStringLiteral("Undo1"))),
              u"&Rückgängig: Eingabe");
}

TEST_F(GermanInterface, EveryMenuItemIsTranslatedAndKeepsItsAltLetterApart) {
    std::map<std::string, QString> english;
    {
        MainWindow window;
        english = MenuItems(window);
    }
    ASSERT_TRUE(InstallTranslations(German()));
    MainWindow window;
    const std::map<std::string, QString> german = MenuItems(window);
    ASSERT_EQ(german.size(), english.size());
    // The words that German shares with English.
    const std::set<QString> same = {QStringLiteral("&Info")};
    std::map<std::string, std::vector<QKeySequence>> letters;
    for (const auto& [item, text] : german) {
        SCOPED_TRACE(item);
        if (!same.contains(english.at(item))) {
            EXPECT_NE(text, english.at(item));
        }
        const QKeySequence letter = QKeySequence::mnemonic(text);
        EXPECT_EQ(letter.isEmpty(), QKeySequence::mnemonic(english.at(item)).isEmpty())
            << "Alt letter";
        if (!letter.isEmpty()) {
            std::vector<QKeySequence>& menu = letters[item.substr(0, item.find('/'))];
            EXPECT_EQ(std::count(menu.begin(), menu.end(), letter), 0) << text.toStdString();
            menu.push_back(letter);
        }
    }
}

// Each core text that a scripted run of every command shows: captions, dialog titles, filter
// names, field labels and messages.
class ShownTexts {
public:
    explicit ShownTexts(TForm1& form) {
        TDesktop& desktop = form.Desktop;
        desktop.RunOpenDialog = [this](const TFileDialogSettings& settings) {
            Dialog(settings);
            return std::optional<std::filesystem::path>();
        };
        desktop.RunSaveDialog = desktop.RunOpenDialog;
        desktop.RunSaveDialogWithFilter = [this](const TFileDialogSettings& settings) {
            Dialog(settings);
            return std::optional<TSaveChoice>();
        };
        desktop.MessageDlg = [this](TMsgDlgType, TMsgDlgButtons buttons,
                                    const std::u16string& text) {
            texts.insert(text);
            return buttons == TMsgDlgButtons::mbOK ? TModalResult::mrOk : TModalResult::mrNo;
        };
        desktop.AskValues =
            [this](const TValueDialog& values) -> std::optional<std::vector<std::u16string>> {
            texts.insert(values.Title);
            for (const TValueField& field : values.Fields) {
                texts.insert(field.Label);
            }
            // Answered once a command: a command asks again after a value it cannot take.
            if (!answer || answered) {
                return std::nullopt;
            }
            answered = true;
            return std::vector<std::u16string>(values.Fields.size(), *answer);
        };
        desktop.CloseMainWindow = [] {};
        desktop.ExecutablePath = [] { return std::filesystem::path(); };
    }

    std::set<std::u16string> texts;
    std::optional<std::u16string> answer; // given to every field of a values dialog
    bool answered = false;

private:
    void Dialog(const TFileDialogSettings& settings) {
        texts.insert(settings.Title);
        const QStringList parts = QString::fromStdU16String(settings.Filter).split(u'|');
        for (qsizetype i = 0; i < parts.size(); i += 2) {
            texts.insert(parts[i].toStdU16String());
        }
    }
};

TEST_F(GermanInterface, EveryTextTheCommandsShowHasItsGerman) {
    ASSERT_TRUE(InstallTranslations(German()));
    TForm1 form;
    ShownTexts shown(form);
    form.StringGrid1.SetRowCount(3);
    form.StringGrid1.SetCells(1, 1, u"100");
    form.StringGrid1.SetCells(2, 1, u"1");
    form.StringGrid1.SetCells(1, 2, u"200");
    form.StringGrid1.SetCells(2, 2, u"2");
    // Cancelled, then answered with a text that is no number, then with one out of range.
    for (const std::optional<std::u16string>& answer :
         {std::optional<std::u16string>(), std::optional<std::u16string>(u"abc"),
          std::optional<std::u16string>(u"-5000")}) {
        shown.answer = answer;
        for (const TCommand& command : Commands()) {
            if (command.Id != TCommandId::Close) {
                shown.answered = false;
                form.Execute(command.Id);
            }
            if (command.Caption != nullptr) {
                shown.texts.insert(command.Caption);
            }
        }
    }
    form.Edit1.SetText(u"");
    form.Execute(TCommandId::SaveProfile);
    ASSERT_GT(shown.texts.size(), 30u);
    // Names of formats and numbers read the same in German.
    const std::set<std::u16string> same = {u"CSV", u"FRD", u"GraphicEQ", u"1/1", u"1/2", u"1/3"};
    for (const std::u16string& text : shown.texts) {
        SCOPED_TRACE(Utf16ToUtf8(text));
        if (!same.contains(text)) {
            EXPECT_NE(CoreText(text).toStdU16String(), text);
        }
    }
}

TEST_F(GermanInterface, TextsWithValuesKeepTheValuesAndTranslateTheWordsAround) {
    ASSERT_TRUE(InstallTranslations(German()));
    const struct {
        const char16_t* english;
        const char16_t* german;
    } cases[] = {
        // A file name that looks like a pattern or like a word of the core stays as it is.
        {u"Reading 50%1 Smooth.txt...", u"50%1 Smooth.txt wird gelesen..."},
        {u"Reading Smooth...", u"Smooth wird gelesen..."},
        // The system's words after the file name, and the dot the error box adds.
        {u"Cannot create file \"/tmp/a.ump\". Not a regular file.",
         u"Die Datei „/tmp/a.ump“ kann nicht erstellt werden. Keine reguläre Datei."},
        {u"Cannot create file \"/tmp/a.ump\". Disk full. The previous file is kept as "
         u"\"/tmp/a.ump.bak\".",
         u"Die Datei „/tmp/a.ump“ kann nicht erstellt werden. Disk full. Die bisherige Datei "
         u"bleibt als „/tmp/a.ump.bak“ erhalten."},
        {u"Range check error.", u"Bereichsüberschreitung."},
        {u"Delimiter: tab, data lines: 3, skipped lines: 1",
         u"Trennzeichen: Tabulator, Datenzeilen: 3, übersprungene Zeilen: 1"},
        {u"No point lies between 20 and 10 Hz; the profile stays as it is.",
         u"Zwischen 20 und 10 Hz liegt kein Punkt; das Profil bleibt unverändert."},
        {u"1.00 kHz, -3.0 dB  |  point 1 kHz, -3 dB", u"1.00 kHz, -3.0 dB  |  Punkt 1 kHz, -3 dB"},
        {u"Marvek Engineering Germany\nSound profil editor for RTA software Ulmaro\nVer. 1.0.0.0",
         u"Marvek Engineering Germany\nSoundprofil-Editor für die RTA-Software Ulmaro\nVer. "
         u"1.0.0.0"},
        // The file format's own message is German already; a text without entry stays.
        {u"Falsches Dateiformat.", u"Falsches Dateiformat."},
        {u"Something new", u"Something new"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(Utf16ToUtf8(entry.english));
        EXPECT_EQ(CoreText(entry.english).toStdU16String(), entry.german);
    }
    EXPECT_EQ(CoreFilter(u"Ulmaro Sound Profile|*.ump|All|*.*"),
              u"Ulmaro-Soundprofil|*.ump|Alle Dateien|*.*");
}

} // namespace
