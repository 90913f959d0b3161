#include "texts/language_texts.h"

// Dutch. "Java runtime" is "Java-runtime" throughout.
extern const LanguageTexts kDutchTexts = {
    "nl", "Dutch", 0x0413,
    {
        {202, L"%s\n\nWindows-foutcode: %d."},
        {203, L"%s\n\n%s"},
        {206, L"Deze toepassing heeft een Java-runtime met de server-VM nodig, %s, en er is er geen gevonden op "
              L"deze computer.\n\nKies de map van zo'n Java-runtime (de map met \"bin\\server\\jvm.dll\"), of "
              L"installeer er een en start de toepassing opnieuw."},
        {207, L"Deze toepassing heeft een Java-runtime nodig, %s, en er is er geen gevonden op deze computer.\n\n"
              L"Kies de map van een geïnstalleerde Java-runtime (de map met \"bin\"), of installeer er een en start "
              L"de toepassing opnieuw."},
        {208, L"De toepassing kon het pad van haar eigen programmabestand niet bepalen."},
        {209, L"Het klassenpad van de toepassing is leeg: geen van de bestanden uit de instelling \"Class Path\" "
              L"bestaat.\n\nInstalleer de toepassing opnieuw, of corrigeer de instelling \"Class Path\"."},
        {210, L"De instelling \"Main Class\" in de sectie [Java Runtime Environment] ontbreekt, dus de toepassing "
              L"kan niet starten.\n\nVoeg haar toe aan de instellingen en verpak de toepassing opnieuw."},
        {211, L"De hoofdklasse \"%s\" is niet gevonden.\n\nControleer de instellingen \"Main Class\" en \"Class "
              L"Path\", of installeer de toepassing opnieuw."},
        {212, L"Aan de jvm.dll van de Java-runtime ontbreekt een functie die de toepassing nodig heeft; de "
              L"Java-runtime is misschien beschadigd of te oud. Kies een andere of installeer deze opnieuw."},
        {213, L"De virtuele Java-machine kon niet worden gemaakt."},
        {214, L"Kies de map van een Java-runtime"},
        {215, L"De hoofdklasse \"%s\" kon niet worden geladen.\n\nControleer de instellingen \"Main Class\" en "
              L"\"Class Path\", of installeer de toepassing opnieuw."},
        {216, L"De hoofdklasse van de toepassing heeft geen methode \"public static void main(String[])\".\n\n"
              L"Controleer de instelling \"Main Class\"."},
        {217, L"van elke versie"},
        {218, L"van versie %s of ouder"},
        {219, L"van versie %s of nieuwer"},
        {220, L"van versie %s"},
        {221, L"van een versie van %s tot en met %s"},
        {222, L"De bibliotheek van de virtuele Java-machine \"%s\" kon niet worden geladen (Windows-foutcode "
              L"%d).\n\nEen 64-bits toepassing heeft een 64-bits Java-runtime nodig en een 32-bits toepassing een "
              L"32-bits; kies een passende Java-runtime of installeer haar opnieuw."},
        {225, L"De Java-runtime meldde een onbekende fout (-1)."},
        {226, L"De Java-runtime meldde dat de thread is losgekoppeld (-2)."},
        {227, L"De Java-runtime ondersteunt de gevraagde JNI-versie niet (-3); ze is misschien te oud."},
        {228, L"Er is niet genoeg geheugen voor de virtuele Java-machine (-4). Sluit andere programma's, of "
              L"verlaag het geheugen in \"Virtual Machine Parameters\"."},
        {229, L"Er bestaat al een virtuele Java-machine in dit proces (-5)."},
        {230, L"De Java-runtime weigerde een optie (-6). Controleer de instelling \"Virtual Machine Parameters\"."},
        {232, L"De Java-runtime \"%s\" heeft de andere processorbreedte, net als het bijbehorende startprogramma "
              L"dat haar zou uitvoeren, dus de toepassing kan niet starten.\n\nKies een Java-runtime met de breedte "
              L"van deze toepassing, of installeer de toepassing opnieuw."},
        {233, L"Het andere startprogramma van de toepassing \"%s\" kon niet worden gestart (Windows-foutcode "
              L"%d).\n\nInstalleer de toepassing opnieuw."},
        {234, L"De toepassing draait al, maar deze start kon haar opdrachtregel niet aan haar doorgeven.\n\nWacht "
              L"tot ze is gestart, of sluit haar, en probeer het opnieuw."},
        {235, L"Om een geïnstalleerde Java-runtime te gebruiken, stelt u \"JRE Path\" in [Java Runtime Environment] "
              L"van \"%s\" in op haar map."},
        {236, L"De bibliotheek \"%s\", die de bibliotheek van de virtuele Java-machine \"%s\" nodig heeft, is "
              L"niet gevonden op deze computer.\n\nEen naam die begint met \"vcruntime\" of \"msvcp\" hoort bij "
              L"Microsoft Visual C++ Redistributable: installeer die voor de architectuur van deze toepassing (x64 "
              L"of x86). Installeer bij elke andere naam de Java-runtime opnieuw."},
        {237, L"%s heeft Java %s nodig: nu downloaden (%s MB)?"},
        {238, L"Java wordt gedownload voor %s"},
        {239, L"%s MB van %s MB ontvangen, %s MB/s"},
        {240, L"Annuleren"},
        {241, L"Java kon niet worden gedownload van \"%s\": %s"},
        {242, L"de server is niet bereikbaar (Windows-foutcode %d). Controleer de netwerkverbinding en de proxy-instellingen."},
        {243, L"de server antwoordde met HTTP-status %d."},
        {244, L"er zijn %s bytes aangekomen, maar de toepassing noemt %s bytes."},
        {245, L"het ontvangen bestand is niet het bestand dat de toepassing noemt (de SHA-256-controlesom wijkt af)."},
        {246, L"\"%s\" kon niet worden geschreven (Windows-foutcode %d)."},
        {247, L"het bestand is geen zip-archief dat kan worden uitgepakt."},
        {248, L"het archief bevat het pad \"%s\", dat buiten de map zou liggen."},
        {249, L"het archief bevat geen Java-runtime met de breedte en versie van deze toepassing."},
        {250, L"Een service downloadt Java niet. Installeer de Java-runtime die [Runtime Download] noemt, of stel \"JRE Path\" in."},
        {251, L"Typ y en druk op Enter om te downloaden: "},
        {252, L"De toepassing vroeg %d keer binnen %d seconden om opnieuw te starten en wordt deze keer niet "
              L"opnieuw gestart.\n\nStart haar zelf; gebeurt dit weer, installeer de toepassing dan opnieuw."},
        {253, L"Een update van de toepassing kon niet starten en is ongedaan gemaakt: de vorige versie draait "
              L"weer.\n\nWat er bij de mislukte start gebeurde, staat in \"%s\"."},
    },
    {L"Java-runtime nodig", L"Map van de &Java-runtime:", L"&Bladeren...",
     L"Geen Java-runtime geïnstalleerd? Download er een van:", L"OK", L"Annuleren", L"Onverwachte fout",
     L"De toepassing is op een fout gestuit die ze niet heeft afgehandeld. Ze werkt vanaf nu misschien niet meer "
     L"goed.",
     L"Details",
     L"Kies Doorgaan om de toepassing te laten doorwerken, of Programma beëindigen om haar te sluiten. Niet "
     L"opgeslagen werk kan in beide gevallen verloren gaan.",
     L"Selecteer de details en kopieer ze met Ctrl+C om het probleem te melden.", L"&Doorgaan",
     L"Programma &beëindigen"},
};
