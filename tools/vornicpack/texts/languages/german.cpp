#include "texts/language_texts.h"

// German. "Java runtime" is "Java-Laufzeitumgebung" throughout; setting names stay as the settings file spells them.
extern const LanguageTexts kGermanTexts = {
    "de", "German", 0x0407,
    {
        {202, L"%s\n\nWindows-Fehlercode: %d."},
        {203, L"%s\n\n%s"},
        {206, L"Diese Anwendung benötigt eine Java-Laufzeitumgebung mit der Server-VM %s, aber auf diesem Computer "
              L"wurde keine gefunden.\n\nWählen Sie den Ordner einer solchen Java-Laufzeitumgebung (den Ordner, der "
              L"\"bin\\server\\jvm.dll\" enthält), oder installieren Sie eine und starten Sie die Anwendung erneut."},
        {207, L"Diese Anwendung benötigt eine Java-Laufzeitumgebung %s, aber auf diesem Computer wurde keine "
              L"gefunden.\n\nWählen Sie den Ordner einer installierten Java-Laufzeitumgebung (den Ordner, der \"bin\" "
              L"enthält), oder installieren Sie eine und starten Sie die Anwendung erneut."},
        {208, L"Die Anwendung konnte den Pfad ihrer eigenen Programmdatei nicht ermitteln."},
        {209, L"Der Klassenpfad der Anwendung ist leer: Keine der Dateien aus der Einstellung \"Class Path\" ist "
              L"vorhanden.\n\nInstallieren Sie die Anwendung neu, oder korrigieren Sie die Einstellung \"Class Path\"."},
        {210, L"Die Einstellung \"Main Class\" im Abschnitt [Java Runtime Environment] fehlt, daher kann die "
              L"Anwendung nicht starten.\n\nFügen Sie sie den Einstellungen hinzu und packen Sie die Anwendung erneut."},
        {211, L"Die Hauptklasse \"%s\" wurde nicht gefunden.\n\nPrüfen Sie die Einstellungen \"Main Class\" und "
              L"\"Class Path\", oder installieren Sie die Anwendung neu."},
        {212, L"Der jvm.dll der Java-Laufzeitumgebung fehlt eine Funktion, die die Anwendung braucht; die "
              L"Java-Laufzeitumgebung ist vielleicht beschädigt oder zu alt. Wählen Sie eine andere oder "
              L"installieren Sie diese neu."},
        {213, L"Die Java Virtual Machine konnte nicht erstellt werden."},
        {214, L"Ordner einer Java-Laufzeitumgebung wählen"},
        {215, L"Die Hauptklasse \"%s\" konnte nicht geladen werden.\n\nPrüfen Sie die Einstellungen \"Main Class\" "
              L"und \"Class Path\", oder installieren Sie die Anwendung neu."},
        {216, L"Die Hauptklasse der Anwendung hat keine Methode \"public static void main(String[])\".\n\nPrüfen "
              L"Sie die Einstellung \"Main Class\"."},
        {217, L"in beliebiger Version"},
        {218, L"bis Version %s"},
        {219, L"ab Version %s"},
        {220, L"in Version %s"},
        {221, L"in einer Version von %s bis %s"},
        {222, L"Die Bibliothek der Java Virtual Machine \"%s\" konnte nicht geladen werden (Windows-Fehlercode "
              L"%d).\n\nEine 64-Bit-Anwendung braucht eine 64-Bit-Java-Laufzeitumgebung, eine 32-Bit-Anwendung eine "
              L"32-Bit-Java-Laufzeitumgebung; wählen Sie eine passende oder installieren Sie sie neu."},
        {225, L"Die Java-Laufzeitumgebung meldete einen unbekannten Fehler (-1)."},
        {226, L"Die Java-Laufzeitumgebung meldete, dass der Thread nicht angebunden ist (-2)."},
        {227, L"Die Java-Laufzeitumgebung unterstützt die verlangte JNI-Version nicht (-3); sie ist vielleicht zu alt."},
        {228, L"Für die Java Virtual Machine ist nicht genug Speicher frei (-4). Schließen Sie andere Programme, "
              L"oder senken Sie die Speicherangaben in \"Virtual Machine Parameters\"."},
        {229, L"In diesem Prozess gibt es bereits eine Java Virtual Machine (-5)."},
        {230, L"Die Java-Laufzeitumgebung hat eine Option abgelehnt (-6). Prüfen Sie die Einstellung \"Virtual "
              L"Machine Parameters\"."},
        {232, L"Die Java-Laufzeitumgebung \"%s\" hat die andere Prozessorbreite, ebenso der zugehörige Launcher, der "
              L"sie ausführen würde, daher kann die Anwendung nicht starten.\n\nWählen Sie eine "
              L"Java-Laufzeitumgebung mit der Breite dieser Anwendung, oder installieren Sie die Anwendung neu."},
        {233, L"Der andere Launcher der Anwendung \"%s\" konnte nicht gestartet werden (Windows-Fehlercode "
              L"%d).\n\nInstallieren Sie die Anwendung neu."},
        {234, L"Die Anwendung läuft bereits, aber dieser Start konnte ihr seine Befehlszeile nicht übergeben.\n\n"
              L"Warten Sie, bis sie gestartet ist, oder schließen Sie sie, und versuchen Sie es erneut."},
        {235, L"Um eine installierte Java-Laufzeitumgebung zu verwenden, setzen Sie \"JRE Path\" in [Java Runtime "
              L"Environment] von \"%s\" auf ihren Ordner."},
        {236, L"Die Bibliothek \"%s\", die die Bibliothek der Java Virtual Machine \"%s\" braucht, wurde auf "
              L"diesem Computer nicht gefunden.\n\nEin Name, der mit \"vcruntime\" oder \"msvcp\" beginnt, gehört "
              L"zu Microsoft Visual C++ Redistributable: Installieren Sie es für die Breite dieser Anwendung (x64 "
              L"oder x86). Bei jedem anderen Namen installieren Sie die Java-Laufzeitumgebung neu."},
        {237, L"%s benötigt Java %s: Jetzt herunterladen (%s MB)?"},
        {238, L"Java für %s wird heruntergeladen"},
        {239, L"%s MB von %s MB empfangen, %s MB/s"},
        {240, L"Abbrechen"},
        {241, L"Java konnte nicht von \"%s\" heruntergeladen werden: %s"},
        {242, L"Der Server war nicht erreichbar (Windows-Fehlercode %d). Prüfen Sie die Netzwerkverbindung und die Proxy-Einstellungen."},
        {243, L"Der Server antwortete mit dem HTTP-Status %d."},
        {244, L"Es kamen %s Bytes an, die Anwendung nennt aber %s Bytes."},
        {245, L"Die empfangene Datei ist nicht die, die die Anwendung nennt (ihre SHA-256-Prüfsumme weicht ab)."},
        {246, L"\"%s\" konnte nicht geschrieben werden (Windows-Fehlercode %d)."},
        {247, L"Die Datei ist kein ZIP-Archiv, das sich entpacken lässt."},
        {248, L"Das Archiv enthält den Pfad \"%s\", der außerhalb seines Ordners läge."},
        {249, L"Das Archiv enthält keine Java-Laufzeitumgebung mit der Breite und Version dieser Anwendung."},
        {250, L"Ein Dienst lädt Java nicht herunter. Installieren Sie die in [Runtime Download] genannte Java-Laufzeitumgebung, oder setzen Sie \"JRE Path\"."},
        {251, L"Geben Sie y ein und drücken Sie die Eingabetaste, um sie herunterzuladen: "},
        {252, L"Die Anwendung hat %d-mal innerhalb von %d Sekunden verlangt, neu gestartet zu werden, und wird "
              L"diesmal nicht neu gestartet.\n\nStarten Sie sie selbst; geschieht das wieder, installieren Sie die "
              L"Anwendung neu."},
        {253, L"Ein Update der Anwendung konnte nicht starten und wurde rückgängig gemacht: Die vorherige Version "
              L"läuft wieder.\n\nWas beim fehlgeschlagenen Start geschah, steht in \"%s\"."},
    },
    {L"Java-Laufzeitumgebung benötigt", L"&Ordner der Java-Laufzeitumgebung:", L"&Durchsuchen...",
     L"Keine Java-Laufzeitumgebung installiert? Hier gibt es eine:", L"OK", L"Abbrechen", L"Unerwarteter Fehler",
     L"Die Anwendung ist auf einen Fehler gestoßen, den sie nicht behandelt hat. Sie arbeitet von nun an "
     L"möglicherweise nicht mehr richtig.",
     L"Details",
     L"Wählen Sie \"Fortfahren\", damit die Anwendung weiterläuft, oder \"Programm beenden\", um sie zu schließen. "
     L"Nicht gespeicherte Arbeit kann in beiden Fällen verloren gehen.",
     L"Um das Problem zu melden, markieren Sie die Details und kopieren Sie sie mit Strg+C.", L"&Fortfahren",
     L"Programm &beenden"},
};
