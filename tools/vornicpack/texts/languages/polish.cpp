#include "texts/language_texts.h"

// Polish. "Java runtime" is "środowisko uruchomieniowe Java" throughout.
extern const LanguageTexts kPolishTexts = {
    "pl", "Polish", 0x0415,
    {
        {202, L"%s\n\nKod błędu systemu Windows: %d."},
        {203, L"%s\n\n%s"},
        {206, L"Ta aplikacja wymaga środowiska uruchomieniowego Java z serwerową maszyną wirtualną, %s, a na tym "
              L"komputerze nie znaleziono żadnego.\n\nWybierz folder takiego środowiska uruchomieniowego Java (folder "
              L"zawierający \"bin\\server\\jvm.dll\") albo zainstaluj je i uruchom aplikację ponownie."},
        {207, L"Ta aplikacja wymaga środowiska uruchomieniowego Java %s, a na tym komputerze nie znaleziono "
              L"żadnego.\n\nWybierz folder zainstalowanego środowiska uruchomieniowego Java (folder zawierający "
              L"\"bin\") albo zainstaluj je i uruchom aplikację ponownie."},
        {208, L"Aplikacja nie mogła ustalić ścieżki własnego pliku programu."},
        {209, L"Ścieżka klas aplikacji jest pusta: nie istnieje żaden z plików wskazanych w ustawieniu \"Class "
              L"Path\".\n\nZainstaluj aplikację ponownie albo popraw ustawienie \"Class Path\"."},
        {210, L"Brakuje ustawienia \"Main Class\" w sekcji [Java Runtime Environment], więc aplikacja nie może się "
              L"uruchomić.\n\nDodaj je do ustawień i ponownie spakuj aplikację."},
        {211, L"Nie znaleziono klasy głównej \"%s\".\n\nSprawdź ustawienia \"Main Class\" i \"Class Path\" albo "
              L"zainstaluj aplikację ponownie."},
        {212, L"W pliku jvm.dll środowiska uruchomieniowego Java brakuje funkcji potrzebnej aplikacji; środowisko "
              L"może być uszkodzone lub zbyt stare. Wybierz inne albo zainstaluj to ponownie."},
        {213, L"Nie można utworzyć maszyny wirtualnej Java."},
        {214, L"Wybierz folder środowiska uruchomieniowego Java"},
        {215, L"Nie można załadować klasy głównej \"%s\".\n\nSprawdź ustawienia \"Main Class\" i \"Class Path\" "
              L"albo zainstaluj aplikację ponownie."},
        {216, L"Klasa główna aplikacji nie ma metody \"public static void main(String[])\".\n\nSprawdź ustawienie "
              L"\"Main Class\"."},
        {217, L"w dowolnej wersji"},
        {218, L"w wersji %s lub starszej"},
        {219, L"w wersji %s lub nowszej"},
        {220, L"w wersji %s"},
        {221, L"w wersji od %s do %s"},
        {222, L"Nie można załadować biblioteki maszyny wirtualnej Java \"%s\" (kod błędu systemu Windows %d).\n\n"
              L"Aplikacja 64-bitowa wymaga 64-bitowego środowiska uruchomieniowego Java, a 32-bitowa — 32-bitowego; "
              L"wybierz pasujące albo zainstaluj je ponownie."},
        {225, L"Środowisko uruchomieniowe Java zgłosiło nieznany błąd (-1)."},
        {226, L"Środowisko uruchomieniowe Java zgłosiło, że wątek jest odłączony (-2)."},
        {227, L"Środowisko uruchomieniowe Java nie obsługuje żądanej wersji JNI (-3); może być zbyt stare."},
        {228, L"Za mało pamięci dla maszyny wirtualnej Java (-4). Zamknij inne programy albo zmniejsz pamięć "
              L"podaną w \"Virtual Machine Parameters\"."},
        {229, L"W tym procesie istnieje już maszyna wirtualna Java (-5)."},
        {230, L"Środowisko uruchomieniowe Java odrzuciło opcję (-6). Sprawdź ustawienie \"Virtual Machine "
              L"Parameters\"."},
        {232, L"Środowisko uruchomieniowe Java \"%s\" ma inną architekturę procesora, podobnie jak powiązany "
              L"program uruchamiający, który by je wykonał, więc aplikacja nie może się uruchomić.\n\nWybierz "
              L"środowisko uruchomieniowe Java o architekturze tej aplikacji albo zainstaluj aplikację ponownie."},
        {233, L"Nie można uruchomić drugiego programu uruchamiającego aplikacji \"%s\" (kod błędu systemu Windows "
              L"%d).\n\nZainstaluj aplikację ponownie."},
        {234, L"Aplikacja już działa, ale to uruchomienie nie mogło przekazać jej swojego wiersza polecenia.\n\n"
              L"Poczekaj, aż się uruchomi, albo ją zamknij i spróbuj ponownie."},
        {235, L"Aby użyć zainstalowanego środowiska uruchomieniowego Java, ustaw \"JRE Path\" w [Java Runtime "
              L"Environment] pliku \"%s\" na jego folder."},
        {236, L"Na tym komputerze nie znaleziono biblioteki \"%s\", której potrzebuje biblioteka maszyny "
              L"wirtualnej Java \"%s\".\n\nNazwa zaczynająca się od \"vcruntime\" lub \"msvcp\" należy do "
              L"pakietu Microsoft Visual C++ Redistributable: zainstaluj go dla architektury tej aplikacji (x64 lub "
              L"x86). W przypadku każdej innej nazwy zainstaluj ponownie środowisko uruchomieniowe Java."},
        {237, L"%s wymaga Java %s: pobrać teraz (%s MB)?"},
        {238, L"Pobieranie Java dla %s"},
        {239, L"Odebrano %s MB z %s MB, %s MB/s"},
        {240, L"Anuluj"},
        {241, L"Nie udało się pobrać Java z \"%s\": %s"},
        {242, L"nie można połączyć się z serwerem (kod błędu systemu Windows %d). Sprawdź połączenie sieciowe i ustawienia serwera proxy."},
        {243, L"serwer odpowiedział stanem HTTP %d."},
        {244, L"odebrano %s bajtów, a aplikacja podaje %s bajtów."},
        {245, L"odebrany plik nie jest tym, który podaje aplikacja (jego suma kontrolna SHA-256 jest inna)."},
        {246, L"nie można zapisać \"%s\" (kod błędu systemu Windows %d)."},
        {247, L"plik nie jest archiwum zip, które można rozpakować."},
        {248, L"archiwum zawiera ścieżkę \"%s\", która wychodziłaby poza jego folder."},
        {249, L"archiwum nie zawiera środowiska uruchomieniowego Java o szerokości i wersji tej aplikacji."},
        {250, L"Usługa nie pobiera Java. Zainstaluj środowisko uruchomieniowe Java podane w [Runtime Download] lub ustaw \"JRE Path\"."},
        {251, L"Wpisz y i naciśnij Enter, aby je pobrać: "},
        {252, L"Aplikacja %d razy w ciągu %d sekund poprosiła o ponowne uruchomienie i tym razem nie zostanie "
              L"uruchomiona ponownie.\n\nUruchom ją samodzielnie; jeśli to się powtórzy, zainstaluj aplikację "
              L"ponownie."},
        {253, L"Aktualizacja aplikacji nie mogła się uruchomić i została wycofana: znowu działa poprzednia "
              L"wersja.\n\nPrzebieg nieudanego uruchomienia zapisano w \"%s\"."},
    },
    {L"Wymagane środowisko uruchomieniowe Java", L"Folder środowiska &uruchomieniowego Java:", L"&Przeglądaj...",
     L"Brak środowiska uruchomieniowego Java? Pobierz je ze strony:", L"OK", L"Anuluj", L"Nieoczekiwany błąd",
     L"W aplikacji wystąpił błąd, którego nie obsłużyła. Od teraz może nie działać poprawnie.", L"Szczegóły",
     L"Wybierz Kontynuuj, aby aplikacja działała dalej, lub Zakończ program, aby ją zamknąć. W obu przypadkach "
     L"niezapisana praca może zostać utracona.",
     L"Aby zgłosić problem, zaznacz szczegóły i skopiuj je klawiszami Ctrl+C.", L"&Kontynuuj",
     L"&Zakończ program"},
};
