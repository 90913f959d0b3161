#include "texts/language_texts.h"

// French. "Java runtime" is "environnement d'exécution Java" throughout.
extern const LanguageTexts kFrenchTexts = {
    "fr", "French", 0x040C,
    {
        {202, L"%s\n\nCode d'erreur Windows : %d."},
        {203, L"%s\n\n%s"},
        {206, L"Cette application a besoin d'un environnement d'exécution Java avec la machine virtuelle serveur, "
              L"%s, et aucun n'a été trouvé sur cet ordinateur.\n\nChoisissez le dossier d'un tel environnement "
              L"d'exécution Java (le dossier qui contient \"bin\\server\\jvm.dll\"), ou installez-en un et relancez "
              L"l'application."},
        {207, L"Cette application a besoin d'un environnement d'exécution Java %s, et aucun n'a été trouvé sur cet "
              L"ordinateur.\n\nChoisissez le dossier d'un environnement d'exécution Java installé (le dossier qui "
              L"contient \"bin\"), ou installez-en un et relancez l'application."},
        {208, L"L'application n'a pas pu déterminer le chemin de son propre fichier programme."},
        {209, L"Le chemin de classes de l'application est vide : aucun des fichiers cités par le paramètre "
              L"\"Class Path\" n'existe.\n\nRéinstallez l'application, ou corrigez le paramètre \"Class Path\"."},
        {210, L"Le paramètre \"Main Class\" de la section [Java Runtime Environment] manque, l'application ne peut "
              L"donc pas démarrer.\n\nAjoutez-le aux paramètres et empaquetez de nouveau l'application."},
        {211, L"La classe principale \"%s\" est introuvable.\n\nVérifiez les paramètres \"Main Class\" et \"Class "
              L"Path\", ou réinstallez l'application."},
        {212, L"Il manque au fichier jvm.dll de l'environnement d'exécution Java une fonction dont l'application a "
              L"besoin ; il est peut-être endommagé ou trop ancien. Choisissez-en un autre ou réinstallez celui-ci."},
        {213, L"La machine virtuelle Java n'a pas pu être créée."},
        {214, L"Choisissez le dossier d'un environnement d'exécution Java"},
        {215, L"La classe principale \"%s\" n'a pas pu être chargée.\n\nVérifiez les paramètres \"Main Class\" et "
              L"\"Class Path\", ou réinstallez l'application."},
        {216, L"La classe principale de l'application n'a pas de méthode \"public static void main(String[])\".\n\n"
              L"Vérifiez le paramètre \"Main Class\"."},
        {217, L"de n'importe quelle version"},
        {218, L"de version %s ou antérieure"},
        {219, L"de version %s ou ultérieure"},
        {220, L"de version %s"},
        {221, L"d'une version de %s à %s"},
        {222, L"La bibliothèque de la machine virtuelle Java \"%s\" n'a pas pu être chargée (code d'erreur Windows "
              L"%d).\n\nUne application 64 bits a besoin d'un environnement d'exécution Java 64 bits, une application "
              L"32 bits d'un environnement 32 bits ; choisissez-en un qui correspond ou réinstallez-le."},
        {225, L"L'environnement d'exécution Java a signalé une erreur inconnue (-1)."},
        {226, L"L'environnement d'exécution Java a signalé que le thread est détaché (-2)."},
        {227, L"L'environnement d'exécution Java ne prend pas en charge la version JNI demandée (-3) ; il est "
              L"peut-être trop ancien."},
        {228, L"Il n'y a pas assez de mémoire pour la machine virtuelle Java (-4). Fermez d'autres programmes, ou "
              L"réduisez la mémoire demandée dans \"Virtual Machine Parameters\"."},
        {229, L"Une machine virtuelle Java existe déjà dans ce processus (-5)."},
        {230, L"L'environnement d'exécution Java a refusé une option (-6). Vérifiez le paramètre \"Virtual Machine "
              L"Parameters\"."},
        {232, L"L'environnement d'exécution Java \"%s\" a l'autre largeur de processeur, de même que le lanceur "
              L"associé qui l'exécuterait, l'application ne peut donc pas démarrer.\n\nChoisissez un environnement "
              L"d'exécution Java de la largeur de cette application, ou réinstallez l'application."},
        {233, L"L'autre lanceur de l'application \"%s\" n'a pas pu être démarré (code d'erreur Windows %d).\n\n"
              L"Réinstallez l'application."},
        {234, L"L'application est déjà en cours d'exécution, mais ce démarrage n'a pas pu lui transmettre sa ligne "
              L"de commande.\n\nAttendez qu'elle ait démarré, ou fermez-la, puis réessayez."},
        {235, L"Pour utiliser un environnement d'exécution Java installé, indiquez son dossier dans \"JRE Path\" de "
              L"[Java Runtime Environment] de \"%s\"."},
        {236, L"La bibliothèque \"%s\", dont la bibliothèque de la machine virtuelle Java \"%s\" a besoin, est "
              L"introuvable sur cet ordinateur.\n\nUn nom qui commence par \"vcruntime\" ou \"msvcp\" appartient "
              L"au Microsoft Visual C++ Redistributable : installez-le pour l'architecture de cette application "
              L"(x64 ou x86). Pour tout autre nom, réinstallez l'environnement d'exécution Java."},
        {237, L"%s a besoin de Java %s : le télécharger maintenant (%s Mo) ?"},
        {238, L"Téléchargement de Java pour %s"},
        {239, L"%s Mo reçus sur %s Mo, %s Mo/s"},
        {240, L"Annuler"},
        {241, L"Java n'a pas pu être téléchargé depuis \"%s\" : %s"},
        {242, L"le serveur est injoignable (code d'erreur Windows %d). Vérifiez la connexion réseau et les paramètres du proxy."},
        {243, L"le serveur a répondu avec le statut HTTP %d."},
        {244, L"%s octets sont arrivés, mais l'application en indique %s."},
        {245, L"le fichier reçu n'est pas celui qu'indique l'application (sa somme de contrôle SHA-256 diffère)."},
        {246, L"\"%s\" n'a pas pu être écrit (code d'erreur Windows %d)."},
        {247, L"le fichier n'est pas une archive zip qui puisse être décompressée."},
        {248, L"l'archive contient le chemin \"%s\", qui sortirait de son dossier."},
        {249, L"l'archive ne contient aucun environnement d'exécution Java de la largeur et de la version de cette application."},
        {250, L"Un service ne télécharge pas Java. Installez l'environnement d'exécution Java indiqué dans [Runtime Download], ou définissez \"JRE Path\"."},
        {251, L"Tapez y puis Entrée pour le télécharger : "},
        {252, L"L'application a demandé %d fois en %d secondes à être redémarrée ; elle n'est pas redémarrée cette "
              L"fois.\n\nDémarrez-la vous-même ; si cela se reproduit, réinstallez l'application."},
        {253, L"Une mise à jour de l'application n'a pas pu démarrer et a été annulée : la version précédente "
              L"fonctionne à nouveau.\n\nCe qui s'est passé lors du démarrage échoué est consigné dans \"%s\"."},
    },
    {L"Environnement d'exécution Java requis", L"&Dossier de l'environnement d'exécution Java :", L"&Parcourir...",
     L"Aucun environnement d'exécution Java installé ? Téléchargez-en un ici :", L"OK", L"Annuler",
     L"Erreur inattendue",
     L"L'application a rencontré une erreur qu'elle n'a pas traitée. Elle risque de ne plus fonctionner "
     L"correctement.",
     L"Détails",
     L"Choisissez Continuer pour que l'application continue de fonctionner, ou Quitter le programme pour la "
     L"fermer. Le travail non enregistré peut être perdu dans les deux cas.",
     L"Pour signaler le problème, sélectionnez les détails et copiez-les avec Ctrl+C.", L"&Continuer",
     L"&Quitter le programme"},
};
