#include "texts/language_texts.h"

// Italian. "Java runtime" is "ambiente di esecuzione Java" throughout.
extern const LanguageTexts kItalianTexts = {
    "it", "Italian", 0x0410,
    {
        {202, L"%s\n\nCodice di errore di Windows: %d."},
        {203, L"%s\n\n%s"},
        {206, L"Questa applicazione richiede un ambiente di esecuzione Java con la macchina virtuale server, %s, e "
              L"non ne è stato trovato nessuno su questo computer.\n\nScegliere la cartella di un tale ambiente di "
              L"esecuzione Java (la cartella che contiene \"bin\\server\\jvm.dll\"), oppure installarne uno e avviare "
              L"di nuovo l'applicazione."},
        {207, L"Questa applicazione richiede un ambiente di esecuzione Java %s, e non ne è stato trovato nessuno su "
              L"questo computer.\n\nScegliere la cartella di un ambiente di esecuzione Java installato (la cartella "
              L"che contiene \"bin\"), oppure installarne uno e avviare di nuovo l'applicazione."},
        {208, L"L'applicazione non è riuscita a determinare il percorso del proprio file di programma."},
        {209, L"Il percorso delle classi dell'applicazione è vuoto: nessuno dei file indicati dall'impostazione "
              L"\"Class Path\" esiste.\n\nReinstallare l'applicazione o correggere l'impostazione \"Class Path\"."},
        {210, L"Manca l'impostazione \"Main Class\" nella sezione [Java Runtime Environment], quindi l'applicazione "
              L"non può avviarsi.\n\nAggiungerla alle impostazioni e creare di nuovo il pacchetto dell'applicazione."},
        {211, L"Impossibile trovare la classe principale \"%s\".\n\nControllare le impostazioni \"Main Class\" e "
              L"\"Class Path\", oppure reinstallare l'applicazione."},
        {212, L"Al file jvm.dll dell'ambiente di esecuzione Java manca una funzione necessaria all'applicazione; "
              L"potrebbe essere danneggiato o troppo vecchio. Sceglierne un altro o reinstallare questo."},
        {213, L"Impossibile creare la macchina virtuale Java."},
        {214, L"Scegliere la cartella di un ambiente di esecuzione Java"},
        {215, L"Impossibile caricare la classe principale \"%s\".\n\nControllare le impostazioni \"Main Class\" e "
              L"\"Class Path\", oppure reinstallare l'applicazione."},
        {216, L"La classe principale dell'applicazione non ha il metodo \"public static void main(String[])\".\n\n"
              L"Controllare l'impostazione \"Main Class\"."},
        {217, L"di qualsiasi versione"},
        {218, L"della versione %s o precedente"},
        {219, L"della versione %s o successiva"},
        {220, L"della versione %s"},
        {221, L"di una versione dalla %s alla %s"},
        {222, L"Impossibile caricare la libreria della macchina virtuale Java \"%s\" (codice di errore di Windows "
              L"%d).\n\nUn'applicazione a 64 bit richiede un ambiente di esecuzione Java a 64 bit e una a 32 bit uno a "
              L"32 bit; sceglierne uno corrispondente o reinstallarlo."},
        {225, L"L'ambiente di esecuzione Java ha segnalato un errore sconosciuto (-1)."},
        {226, L"L'ambiente di esecuzione Java ha segnalato che il thread è scollegato (-2)."},
        {227, L"L'ambiente di esecuzione Java non supporta la versione JNI richiesta (-3); potrebbe essere troppo "
              L"vecchio."},
        {228, L"Memoria insufficiente per la macchina virtuale Java (-4). Chiudere altri programmi o ridurre la "
              L"memoria indicata in \"Virtual Machine Parameters\"."},
        {229, L"In questo processo esiste già una macchina virtuale Java (-5)."},
        {230, L"L'ambiente di esecuzione Java ha rifiutato un'opzione (-6). Controllare l'impostazione \"Virtual "
              L"Machine Parameters\"."},
        {232, L"L'ambiente di esecuzione Java \"%s\" ha l'altra architettura di processore, come pure il launcher "
              L"abbinato che lo eseguirebbe, quindi l'applicazione non può avviarsi.\n\nScegliere un ambiente di "
              L"esecuzione Java dell'architettura di questa applicazione, oppure reinstallare l'applicazione."},
        {233, L"Impossibile avviare l'altro launcher dell'applicazione \"%s\" (codice di errore di Windows %d).\n\n"
              L"Reinstallare l'applicazione."},
        {234, L"L'applicazione è già in esecuzione, ma questo avvio non è riuscito a passarle la propria riga di "
              L"comando.\n\nAttendere che si sia avviata, oppure chiuderla, e riprovare."},
        {235, L"Per usare un ambiente di esecuzione Java installato, impostare \"JRE Path\" in [Java Runtime "
              L"Environment] di \"%s\" sulla sua cartella."},
        {236, L"La libreria \"%s\", richiesta dalla libreria della macchina virtuale Java \"%s\", non è stata "
              L"trovata su questo computer.\n\nUn nome che inizia con \"vcruntime\" o \"msvcp\" appartiene a "
              L"Microsoft Visual C++ Redistributable: installarlo per l'architettura di questa applicazione (x64 o "
              L"x86). Per qualsiasi altro nome, reinstallare l'ambiente di esecuzione Java."},
        {237, L"%s richiede Java %s: scaricarlo ora (%s MB)?"},
        {238, L"Download di Java per %s"},
        {239, L"%s MB di %s MB ricevuti, %s MB/s"},
        {240, L"Annulla"},
        {241, L"Non è stato possibile scaricare Java da \"%s\": %s"},
        {242, L"il server non è raggiungibile (codice di errore Windows %d). Controllare la connessione di rete e le impostazioni del proxy."},
        {243, L"il server ha risposto con lo stato HTTP %d."},
        {244, L"sono arrivati %s byte, ma l'applicazione ne indica %s."},
        {245, L"il file ricevuto non è quello indicato dall'applicazione (il suo checksum SHA-256 è diverso)."},
        {246, L"impossibile scrivere \"%s\" (codice di errore Windows %d)."},
        {247, L"il file non è un archivio zip che si possa estrarre."},
        {248, L"l'archivio contiene il percorso \"%s\", che uscirebbe dalla sua cartella."},
        {249, L"l'archivio non contiene alcun ambiente di esecuzione Java dell'ampiezza e della versione di questa applicazione."},
        {250, L"Un servizio non scarica Java. Installare l'ambiente di esecuzione Java indicato in [Runtime Download], oppure impostare \"JRE Path\"."},
        {251, L"Digitare y e premere Invio per scaricarlo: "},
        {252, L"L'applicazione ha chiesto di essere riavviata %d volte in %d secondi e questa volta non viene "
              L"riavviata.\n\nAvviatela voi; se succede di nuovo, reinstallate l'applicazione."},
        {253, L"Un aggiornamento dell'applicazione non è riuscito ad avviarsi ed è stato annullato: è di nuovo in "
              L"uso la versione precedente.\n\nCiò che è accaduto durante l'avvio non riuscito è registrato in "
              L"\"%s\"."},
    },
    {L"Ambiente di esecuzione Java necessario", L"Cartella dell'&ambiente di esecuzione Java:", L"&Sfoglia...",
     L"Nessun ambiente di esecuzione Java installato? Scaricarne uno da:", L"OK", L"Annulla", L"Errore imprevisto",
     L"L'applicazione ha incontrato un errore che non ha gestito. Da ora in poi potrebbe non funzionare "
     L"correttamente.",
     L"Dettagli",
     L"Scegliere Continua per mantenere l'applicazione in esecuzione, oppure Termina programma per chiuderla. In "
     L"entrambi i casi il lavoro non salvato può andare perso.",
     L"Per segnalare il problema, selezionare i dettagli e copiarli con Ctrl+C.", L"&Continua",
     L"&Termina programma"},
};
