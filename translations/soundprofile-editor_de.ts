<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>CoreText</name>
    <message>
        <source>Import ASCII</source>
        <translation>ASCII importieren</translation>
    </message>
    <message>
        <source>Save Profile</source>
        <translation>Profil speichern</translation>
    </message>
    <message>
        <source>Clear table</source>
        <translation>Tabelle leeren</translation>
    </message>
    <message>
        <source>Append row</source>
        <translation>Zeile anhängen</translation>
    </message>
    <message>
        <source>Delete row</source>
        <translation>Zeile löschen</translation>
    </message>
    <message>
        <source>Insert row</source>
        <translation>Zeile einfügen</translation>
    </message>
    <message>
        <source>Update / Sort</source>
        <translation>Aktualisieren / Sortieren</translation>
    </message>
    <message>
        <source>Open profile</source>
        <translation>Profil öffnen</translation>
    </message>
    <message>
        <source>Invert gains</source>
        <translation>Verstärkungen invertieren</translation>
    </message>
    <message>
        <source>Offset gains</source>
        <translation>Verstärkungen verschieben</translation>
    </message>
    <message>
        <source>Normalize at frequency</source>
        <translation>Bei Frequenz normalisieren</translation>
    </message>
    <message>
        <source>Smooth</source>
        <translation>Glätten</translation>
    </message>
    <message>
        <source>Resample</source>
        <translation>Neu abtasten</translation>
    </message>
    <message>
        <source>Limit frequency range</source>
        <translation>Frequenzbereich begrenzen</translation>
    </message>
    <message>
        <source>Merge duplicate frequencies</source>
        <translation>Doppelte Frequenzen zusammenführen</translation>
    </message>
    <message>
        <source>Import Measurement</source>
        <translation>Messung importieren</translation>
    </message>
    <message>
        <source>Export Profile</source>
        <translation>Profil exportieren</translation>
    </message>
    <message>
        <source>Typing</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <source>Move point</source>
        <translation>Punkt verschieben</translation>
    </message>
    <message>
        <source>Add point</source>
        <translation>Punkt hinzufügen</translation>
    </message>
    <message>
        <source>Delete point</source>
        <translation>Punkt löschen</translation>
    </message>
    <message>
        <source>Correction to Reference</source>
        <translation>Korrektur zur Referenzkurve</translation>
    </message>
    <message>
        <source>Subtract Reference</source>
        <translation>Referenzkurve abziehen</translation>
    </message>
    <message>
        <source>Add Reference</source>
        <translation>Referenzkurve addieren</translation>
    </message>
    <message>
        <source>Fit Parametric EQ</source>
        <translation>Parametrischen EQ anpassen</translation>
    </message>
    <message>
        <source>Import Parametric EQ</source>
        <translation>Parametrischen EQ importieren</translation>
    </message>
    <message>
        <source>Load Ulmaro sound profile</source>
        <translation>Ulmaro-Soundprofil laden</translation>
    </message>
    <message>
        <source>Save as Ulmaro sound profile</source>
        <translation>Als Ulmaro-Soundprofil speichern</translation>
    </message>
    <message>
        <source>Import sound profile (ASCII)</source>
        <translation>Soundprofil importieren (ASCII)</translation>
    </message>
    <message>
        <source>Import measurement</source>
        <translation>Messung importieren</translation>
    </message>
    <message>
        <source>Export profile</source>
        <translation>Profil exportieren</translation>
    </message>
    <message>
        <source>Ulmaro Sound Profile</source>
        <translation>Ulmaro-Soundprofil</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>Measurement files</source>
        <translation>Messdateien</translation>
    </message>
    <message>
        <source>Semicolon text</source>
        <translation>Text mit Semikolon</translation>
    </message>
    <message>
        <source>Parametric EQ</source>
        <translation>Parametrischer EQ</translation>
    </message>
    <message>
        <source>Offset (dB):</source>
        <translation>Verschiebung (dB):</translation>
    </message>
    <message>
        <source>Frequency (Hz):</source>
        <translation>Frequenz (Hz):</translation>
    </message>
    <message>
        <source>Octave fraction:</source>
        <translation>Oktavbruchteil:</translation>
    </message>
    <message>
        <source>Lowest frequency (Hz):</source>
        <translation>Untere Frequenz (Hz):</translation>
    </message>
    <message>
        <source>Highest frequency (Hz):</source>
        <translation>Obere Frequenz (Hz):</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genügend Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Sound profile Name missed. Continue?</source>
        <translation>Das Soundprofil hat keinen Namen. Trotzdem fortfahren?</translation>
    </message>
    <message>
        <source>Data delemiter char invalid. Function disabled</source>
        <translation>Ungültiges Trennzeichen in den Daten. Funktion nicht verfügbar</translation>
    </message>
    <message>
        <source>File invalid.</source>
        <translation>Ungültige Datei.</translation>
    </message>
    <message>
        <source>Save changes to the sound profile?</source>
        <translation>Änderungen am Soundprofil speichern?</translation>
    </message>
    <message>
        <source>Table data invalid! Check values.</source>
        <translation>Ungültige Tabellendaten! Bitte die Werte prüfen.</translation>
    </message>
    <message>
        <source>The offset must lie between -1000 and 1000 dB.</source>
        <translation>Die Verschiebung muss zwischen -1000 und 1000 dB liegen.</translation>
    </message>
    <message>
        <source>The frequency must be above 0 Hz.</source>
        <translation>Die Frequenz muss über 0 Hz liegen.</translation>
    </message>
    <message>
        <source>The lowest frequency lies above the highest.</source>
        <translation>Die untere Frequenz liegt über der oberen.</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>Lesefehler</translation>
    </message>
    <message>
        <source>Stream write error</source>
        <translation>Schreibfehler</translation>
    </message>
    <message>
        <source>Range check error</source>
        <translation>Bereichsüberschreitung</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>Keine reguläre Datei</translation>
    </message>
    <message>
        <source>Load a reference curve first.</source>
        <translation>Bitte zuerst eine Referenzkurve laden.</translation>
    </message>
    <message>
        <source>tab</source>
        <translation>Tabulator</translation>
    </message>
    <message>
        <source>semicolon</source>
        <translation>Semikolon</translation>
    </message>
    <message>
        <source>comma</source>
        <translation>Komma</translation>
    </message>
    <message>
        <source>spaces</source>
        <translation>Leerzeichen</translation>
    </message>
    <message>
        <source>GraphicEQ line</source>
        <translation>GraphicEQ-Zeile</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keins</translation>
    </message>
    <message>
        <source>Profile</source>
        <translation>Profil</translation>
    </message>
    <message>
        <source>EQ fit</source>
        <translation>EQ-Anpassung</translation>
    </message>
    <message>
        <source>Update / Sort first</source>
        <translation>Zuerst aktualisieren / sortieren</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>Exportieren...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Parametric EQ (*.txt)</source>
        <translation>Parametrischer EQ (*.txt)</translation>
    </message>
    <message>
        <source>Index</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>f(Hz)</source>
        <translation>f(Hz)</translation>
    </message>
    <message>
        <source>Gain(dB)</source>
        <translation>Pegel dB</translation>
    </message>
    <message>
        <source>Sound Profile saved: %1</source>
        <translation>Soundprofil gespeichert: %1</translation>
    </message>
    <message>
        <source>Profile exported: %1</source>
        <translation>Profil exportiert: %1</translation>
    </message>
    <message>
        <source>Reading %1...</source>
        <translation>%1 wird gelesen...</translation>
    </message>
    <message>
        <source>Marvek Engineering Germany
Sound profil editor for RTA software Ulmaro
Ver. %1</source>
        <translation>Marvek Engineering Germany
Soundprofil-Editor für die RTA-Software Ulmaro
Ver. %1</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid floating point value.</source>
        <translation>„%1“ ist keine gültige Gleitkommazahl.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not one of 1/1, 1/2, 1/3, 1/6, 1/12, 1/24 or 1/48.</source>
        <translation>„%1“ ist keiner der Werte 1/1, 1/2, 1/3, 1/6, 1/12, 1/24 oder 1/48.</translation>
    </message>
    <message>
        <source>The result would take the gain of row %1 beyond the limit of -1000 to 1000 dB; the profile stays as it is.</source>
        <translation>Das Ergebnis brächte die Verstärkung in Zeile %1 über die Grenzen von -1000 bis 1000 dB; das Profil bleibt unverändert.</translation>
    </message>
    <message>
        <source>No point lies between %1 and %2 Hz; the profile stays as it is.</source>
        <translation>Zwischen %1 und %2 Hz liegt kein Punkt; das Profil bleibt unverändert.</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht erstellt werden. %2</translation>
    </message>
    <message>
        <source>%1. The previous file is kept as &quot;%2&quot;</source>
        <translation>%1. Die bisherige Datei bleibt als „%2“ erhalten</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;</source>
        <translation>Die Datei „%1“ kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht geöffnet werden. %2</translation>
    </message>
    <message>
        <source>Cannot read file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht gelesen werden. %2</translation>
    </message>
    <message>
        <source>Stream read error: %1</source>
        <translation>Lesefehler: %1</translation>
    </message>
    <message>
        <source>Stream write error: %1</source>
        <translation>Schreibfehler: %1</translation>
    </message>
    <message>
        <source>Cannot export: point %1 holds %2, which is not a finite number</source>
        <translation>Export nicht möglich: Punkt %1 enthält %2 und damit keine endliche Zahl</translation>
    </message>
    <message>
        <source>Row %1: the frequency %2 Hz is not above 0 Hz; FRD and GraphicEQ files need positive frequencies</source>
        <translation>Zeile %1: Die Frequenz %2 Hz liegt nicht über 0 Hz; FRD- und GraphicEQ-Dateien brauchen positive Frequenzen</translation>
    </message>
    <message>
        <source>No measurement data in &quot;%1&quot;</source>
        <translation>Keine Messdaten in „%1“</translation>
    </message>
    <message>
        <source>Delimiter: %1, data lines: %2, skipped lines: %3</source>
        <translation>Trennzeichen: %1, Datenzeilen: %2, übersprungene Zeilen: %3</translation>
    </message>
    <message>
        <source>Column %1</source>
        <translation>Spalte %1</translation>
    </message>
    <message>
        <source>%1  |  point %2</source>
        <translation>%1  |  Punkt %2</translation>
    </message>
    <message>
        <source>Table data invalid/empty! Check values.</source>
        <translation>Tabellendaten ungültig oder leer! Bitte die Werte prüfen.</translation>
    </message>
    <message>
        <source>Filters (1 to 32):</source>
        <translation>Filter (1 bis 32):</translation>
    </message>
    <message>
        <source>Sample rate (Hz):</source>
        <translation>Abtastrate (Hz):</translation>
    </message>
    <message>
        <source>Lowest Q:</source>
        <translation>Kleinste Güte Q:</translation>
    </message>
    <message>
        <source>Highest Q:</source>
        <translation>Größte Güte Q:</translation>
    </message>
    <message>
        <source>Max gain per filter (dB):</source>
        <translation>Größte Verstärkung je Filter (dB):</translation>
    </message>
    <message>
        <source>Shelves</source>
        <translation>Kuhschwanzfilter</translation>
    </message>
    <message>
        <source>Align at frequency (Hz):</source>
        <translation>Angleichen bei Frequenz (Hz):</translation>
    </message>
    <message>
        <source>Max boost (dB):</source>
        <translation>Größte Anhebung (dB):</translation>
    </message>
    <message>
        <source>Max cut (dB):</source>
        <translation>Größte Absenkung (dB):</translation>
    </message>
    <message>
        <source>Export parametric EQ</source>
        <translation>Parametrischen EQ exportieren</translation>
    </message>
    <message>
        <source>Import parametric EQ</source>
        <translation>Parametrischen EQ importieren</translation>
    </message>
    <message>
        <source>The lowest frequency must lie above 0 Hz and below the highest.</source>
        <translation>Die tiefste Frequenz muss über 0 Hz und unter der höchsten liegen.</translation>
    </message>
    <message>
        <source>The lowest Q must lie above 0 and not above the highest.</source>
        <translation>Die kleinste Güte muss über 0 und nicht über der größten liegen.</translation>
    </message>
    <message>
        <source>The max boost and the max cut must not be below 0 dB.</source>
        <translation>Größte Anhebung und größte Absenkung dürfen nicht unter 0 dB liegen.</translation>
    </message>
    <message>
        <source>Not enough points to fit.</source>
        <translation>Zu wenige Punkte zum Anpassen.</translation>
    </message>
    <message>
        <source>The measurement has no point to work with.</source>
        <translation>Die Messung hat keinen verwendbaren Punkt.</translation>
    </message>
    <message>
        <source>The target curve has no point to work with.</source>
        <translation>Die Zielkurve hat keinen verwendbaren Punkt.</translation>
    </message>
    <message>
        <source>The reference curve has no point to work with.</source>
        <translation>Die Referenzkurve hat keinen verwendbaren Punkt.</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Fc (Hz)</source>
        <translation>Fc (Hz)</translation>
    </message>
    <message>
        <source>Gain (dB)</source>
        <translation>Verstärkung (dB)</translation>
    </message>
    <message>
        <source>Peaking</source>
        <translation>Glocke</translation>
    </message>
    <message>
        <source>Low shelf</source>
        <translation>Tiefen-Kuhschwanz</translation>
    </message>
    <message>
        <source>High shelf</source>
        <translation>Höhen-Kuhschwanz</translation>
    </message>
    <message>
        <source>A point at %1 Hz exists already</source>
        <translation>Bei %1 Hz gibt es schon einen Punkt</translation>
    </message>
    <message>
        <source>The number of filters must be a whole number from 1 to 32, not %1.</source>
        <translation>Die Zahl der Filter muss eine ganze Zahl von 1 bis 32 sein, nicht %1.</translation>
    </message>
    <message>
        <source>The highest frequency must lie below half the sample rate, %1 Hz.</source>
        <translation>Die höchste Frequenz muss unter der halben Abtastrate liegen, %1 Hz.</translation>
    </message>
    <message>
        <source>The max gain per filter must lie above 0 dB, not %1 dB.</source>
        <translation>Die größte Verstärkung je Filter muss über 0 dB liegen, nicht %1 dB.</translation>
    </message>
    <message>
        <source>Preamp: %1 dB</source>
        <translation>Vorverstärkung: %1 dB</translation>
    </message>
    <message>
        <source>RMS error: %1 dB</source>
        <translation>Mittlerer Fehler (RMS): %1 dB</translation>
    </message>
    <message>
        <source>Parametric EQ exported: %1</source>
        <translation>Parametrischer EQ exportiert: %1</translation>
    </message>
    <message>
        <source>The number of filters must be from 1 to 32, not %1.</source>
        <translation>Die Zahl der Filter muss zwischen 1 und 32 liegen, nicht %1.</translation>
    </message>
    <message>
        <source>The sample rate must be above 0 Hz, not %1 Hz.</source>
        <translation>Die Abtastrate muss über 0 Hz liegen, nicht %1 Hz.</translation>
    </message>
    <message>
        <source>The lowest frequency of the band must be above 0 Hz, not %1 Hz.</source>
        <translation>Die tiefste Frequenz des Bereichs muss über 0 Hz liegen, nicht %1 Hz.</translation>
    </message>
    <message>
        <source>The lowest frequency of the band (%1 Hz) must be below its highest (%2 Hz).</source>
        <translation>Die tiefste Frequenz des Bereichs (%1 Hz) muss unter der höchsten (%2 Hz) liegen.</translation>
    </message>
    <message>
        <source>The highest frequency of the band (%1 Hz) must be below half the sample rate (%2 Hz).</source>
        <translation>Die höchste Frequenz des Bereichs (%1 Hz) muss unter der halben Abtastrate (%2 Hz) liegen.</translation>
    </message>
    <message>
        <source>The lowest Q must be above 0, not %1.</source>
        <translation>Die kleinste Güte muss über 0 liegen, nicht %1.</translation>
    </message>
    <message>
        <source>The highest Q (%1) must be finite and not below the lowest Q (%2).</source>
        <translation>Die größte Güte (%1) muss endlich sein und darf nicht unter der kleinsten (%2) liegen.</translation>
    </message>
    <message>
        <source>The largest gain must be above 0 dB and finite, not %1 dB.</source>
        <translation>Die größte Verstärkung muss endlich sein und über 0 dB liegen, nicht %1 dB.</translation>
    </message>
    <message>
        <source>Cannot fit: the point at %1 Hz holds %2, which is not a finite number.</source>
        <translation>Anpassen nicht möglich: Der Punkt bei %1 Hz hat %2, keine endliche Zahl.</translation>
    </message>
    <message>
        <source>The octave fraction must be 1, 2, 3, 6, 12, 24 or 48, not %1.</source>
        <translation>Der Oktavbruchteil muss 1, 2, 3, 6, 12, 24 oder 48 sein, nicht %1.</translation>
    </message>
    <message>
        <source>Line %1: the filter is neither ON nor OFF.</source>
        <translation>Zeile %1: Der Filter ist weder ON noch OFF.</translation>
    </message>
    <message>
        <source>Line %1: the filter type &quot;%2&quot; is not PK, LSC or HSC.</source>
        <translation>Zeile %1: Der Filtertyp „%2“ ist nicht PK, LSC oder HSC.</translation>
    </message>
    <message>
        <source>Line %1: the filter needs Fc, Gain and Q, each a number, Fc and Q above 0.</source>
        <translation>Zeile %1: Der Filter braucht Fc, Gain und Q, jeweils eine Zahl, Fc und Q über 0.</translation>
    </message>
    <message>
        <source>Line %1: the preamp is not a number of decibels.</source>
        <translation>Zeile %1: Die Vorverstärkung ist keine Zahl in Dezibel.</translation>
    </message>
    <message>
        <source>No filters in &quot;%1&quot;</source>
        <translation>Keine Filter in „%1“</translation>
    </message>
    <message>
        <source>The align frequency must be above 0 Hz, not %1 Hz.</source>
        <translation>Die Angleichfrequenz muss über 0 Hz liegen, nicht %1 Hz.</translation>
    </message>
    <message>
        <source>The maximum boost must not be below 0 dB, not %1 dB.</source>
        <translation>Die größte Anhebung darf nicht unter 0 dB liegen, nicht %1 dB.</translation>
    </message>
    <message>
        <source>The maximum cut must not be below 0 dB, not %1 dB.</source>
        <translation>Die größte Absenkung darf nicht unter 0 dB liegen, nicht %1 dB.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Ulmaro Sound Profile Editor</source>
        <translation>Ulmaro Soundprofil-Editor</translation>
    </message>
    <message>
        <source>Append row</source>
        <translation>Zeile anhängen</translation>
    </message>
    <message>
        <source>Delete row</source>
        <translation>Zeile löschen</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Sort / Update chart</source>
        <translation>Diagramm sortieren / aktualisieren</translation>
    </message>
    <message>
        <source>Sound profile name:</source>
        <translation>Name des Soundprofils:</translation>
    </message>
    <message>
        <source>Use &quot;Update&quot; from main menu / table popup menu to make changes in chart visble.</source>
        <translation>„Aktualisieren“ im Hauptmenü oder im Kontextmenü der Tabelle zeigt Änderungen im Diagramm.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Table</source>
        <translation>&amp;Tabelle</translation>
    </message>
    <message>
        <source>&amp;Curve</source>
        <translation>&amp;Kurve</translation>
    </message>
    <message>
        <source>Import ASCII</source>
        <translation>ASCII importieren</translation>
    </message>
    <message>
        <source>Ctrl+I</source>
        <translation>Ctrl+I</translation>
    </message>
    <message>
        <source>Save Profile</source>
        <translation>Profil speichern</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Clear table</source>
        <translation>Tabelle leeren</translation>
    </message>
    <message>
        <source>F5</source>
        <translation>F5</translation>
    </message>
    <message>
        <source>F3</source>
        <translation>F3</translation>
    </message>
    <message>
        <source>Insert row</source>
        <translation>Zeile einfügen</translation>
    </message>
    <message>
        <source>F2</source>
        <translation>F2</translation>
    </message>
    <message>
        <source>Update / Sort</source>
        <translation>Aktualisieren / Sortieren</translation>
    </message>
    <message>
        <source>F4</source>
        <translation>F4</translation>
    </message>
    <message>
        <source>Open profile</source>
        <translation>Profil öffnen</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>&amp;Save as Sound Profile</source>
        <translation>Als Soundprofil &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Open Sound Profile</source>
        <translation>Soundprofil ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Import Profile (ASCII)</source>
        <translation>Profil &amp;importieren (ASCII)</translation>
    </message>
    <message>
        <source>Load Reference Curve...</source>
        <translation>Referenzkurve laden...</translation>
    </message>
    <message>
        <source>Clear Reference Curve</source>
        <translation>Referenzkurve löschen</translation>
    </message>
    <message>
        <source>Export Chart Image...</source>
        <translation>Diagramm als Bild exportieren...</translation>
    </message>
    <message>
        <source>&amp;Load Reference Curve...</source>
        <translation>&amp;Referenzkurve laden...</translation>
    </message>
    <message>
        <source>Clear &amp;Reference Curve</source>
        <translation>Referenzkurve &amp;löschen</translation>
    </message>
    <message>
        <source>Export C&amp;hart Image...</source>
        <translation>Diagramm als Bil&amp;d exportieren...</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Clear table</source>
        <translation>&amp;Tabelle leeren</translation>
    </message>
    <message>
        <source>&amp;Insert row</source>
        <translation>Zeile &amp;einfügen</translation>
    </message>
    <message>
        <source>&amp;Delete row</source>
        <translation>Zeile &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Update / Sort</source>
        <translation>&amp;Aktualisieren / Sortieren</translation>
    </message>
    <message>
        <source>&amp;Append row</source>
        <translation>Zeile an&amp;hängen</translation>
    </message>
    <message>
        <source>&amp;Info</source>
        <translation>&amp;Info</translation>
    </message>
    <message>
        <source>&amp;Append</source>
        <translation>An&amp;hängen</translation>
    </message>
    <message>
        <source>Invert gains</source>
        <translation>Verstärkungen invertieren</translation>
    </message>
    <message>
        <source>Offset gains</source>
        <translation>Verstärkungen verschieben</translation>
    </message>
    <message>
        <source>Normalize at frequency</source>
        <translation>Bei Frequenz normalisieren</translation>
    </message>
    <message>
        <source>Smooth</source>
        <translation>Glätten</translation>
    </message>
    <message>
        <source>Resample</source>
        <translation>Neu abtasten</translation>
    </message>
    <message>
        <source>Limit frequency range</source>
        <translation>Frequenzbereich begrenzen</translation>
    </message>
    <message>
        <source>&amp;Invert gains</source>
        <translation>Verstärkungen &amp;invertieren</translation>
    </message>
    <message>
        <source>&amp;Offset gains...</source>
        <translation>Verstärkungen &amp;verschieben...</translation>
    </message>
    <message>
        <source>&amp;Normalize at frequency...</source>
        <translation>Bei Frequenz &amp;normalisieren...</translation>
    </message>
    <message>
        <source>&amp;Smooth...</source>
        <translation>&amp;Glätten...</translation>
    </message>
    <message>
        <source>&amp;Resample...</source>
        <translation>Neu &amp;abtasten...</translation>
    </message>
    <message>
        <source>&amp;Limit frequency range...</source>
        <translation>Frequenzbereich &amp;begrenzen...</translation>
    </message>
    <message>
        <source>Merge duplicate frequencies</source>
        <translation>Doppelte Frequenzen zusammenführen</translation>
    </message>
    <message>
        <source>&amp;Merge duplicate frequencies</source>
        <translation>&amp;Doppelte Frequenzen zusammenführen</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Ctrl+Z</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Ctrl+Y</source>
        <translation>Ctrl+Y</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>U&amp;ndo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>Import Measurement</source>
        <translation>Messung importieren</translation>
    </message>
    <message>
        <source>Ctrl+Shift+I</source>
        <translation>Ctrl+Shift+I</translation>
    </message>
    <message>
        <source>Export Profile</source>
        <translation>Profil exportieren</translation>
    </message>
    <message>
        <source>Ctrl+E</source>
        <translation>Ctrl+E</translation>
    </message>
    <message>
        <source>Import &amp;Measurement...</source>
        <translation>&amp;Messung importieren...</translation>
    </message>
    <message>
        <source>&amp;Export Profile...</source>
        <translation>Profil &amp;exportieren...</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <extracomment>Undo or Redo, then the caption of the step it takes: &quot;Undo Delete row&quot;</extracomment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Load reference curve</source>
        <translation>Referenzkurve laden</translation>
    </message>
    <message>
        <source>PNG image</source>
        <translation>PNG-Bild</translation>
    </message>
    <message>
        <source>SVG image</source>
        <translation>SVG-Bild</translation>
    </message>
    <message>
        <source>Export chart image</source>
        <translation>Diagrammbild exportieren</translation>
    </message>
    <message>
        <source>Subtract Reference</source>
        <translation>Referenzkurve abziehen</translation>
    </message>
    <message>
        <source>Add Reference</source>
        <translation>Referenzkurve addieren</translation>
    </message>
    <message>
        <source>Correction to Reference</source>
        <translation>Korrektur zur Referenzkurve</translation>
    </message>
    <message>
        <source>&amp;Correction to Reference...</source>
        <translation>&amp;Korrektur zur Referenzkurve...</translation>
    </message>
    <message>
        <source>S&amp;ubtract Reference</source>
        <translation>Referenzkurve &amp;subtrahieren</translation>
    </message>
    <message>
        <source>&amp;Add Reference</source>
        <translation>&amp;Referenzkurve addieren</translation>
    </message>
    <message>
        <source>Fit Parametric EQ</source>
        <translation>Parametrischen EQ anpassen</translation>
    </message>
    <message>
        <source>&amp;Fit Parametric EQ...</source>
        <translation>&amp;Parametrischen EQ anpassen...</translation>
    </message>
    <message>
        <source>Import Parametric EQ</source>
        <translation>Parametrischen EQ importieren</translation>
    </message>
    <message>
        <source>Import &amp;Parametric EQ...</source>
        <translation>&amp;Parametrischen EQ importieren...</translation>
    </message>
</context>
<context>
    <name>MeasurementPreviewDialog</name>
    <message>
        <source>&amp;Merge points that share a whole hertz</source>
        <translation>Punkte mit gleichem ganzem Hertzwert &amp;zusammenführen</translation>
    </message>
    <message>
        <source>Import measurement: %1</source>
        <translation>Messung importieren: %1</translation>
    </message>
    <message>
        <source>&amp;Gain column:</source>
        <translation>&amp;Pegelspalte:</translation>
    </message>
    <message>
        <source>f(Hz)</source>
        <translation>f(Hz)</translation>
    </message>
    <message>
        <source>Gain(dB)</source>
        <translation>Pegel dB</translation>
    </message>
    <message>
        <source>First lines of %1:</source>
        <translation>Erste Zeilen von %1:</translation>
    </message>
    <message>
        <source>%1 points share a whole hertz with another after Update / Sort.</source>
        <translation>%1 Punkte teilen sich nach „Aktualisieren / Sortieren“ einen ganzen Hertzwert mit einem anderen.</translation>
    </message>
</context>
<context>
    <name>QLineEdit</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>Wieder&amp;herstellen</translation>
    </message>
</context>
<context>
    <name>QtDesktop</name>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
</context>
</TS>
