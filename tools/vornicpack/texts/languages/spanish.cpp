#include "texts/language_texts.h"

// Spanish. "Java runtime" is "entorno de ejecución de Java" throughout.
extern const LanguageTexts kSpanishTexts = {
    "es", "Spanish", 0x0C0A,
    {
        {202, L"%s\n\nCódigo de error de Windows: %d."},
        {203, L"%s\n\n%s"},
        {206, L"Esta aplicación necesita un entorno de ejecución de Java con la máquina virtual de servidor, %s, y "
              L"no se encontró ninguno en este equipo.\n\nElija la carpeta de un entorno de ejecución de Java así (la "
              L"carpeta que contiene \"bin\\server\\jvm.dll\"), o instale uno y vuelva a iniciar la aplicación."},
        {207, L"Esta aplicación necesita un entorno de ejecución de Java %s, y no se encontró ninguno en este "
              L"equipo.\n\nElija la carpeta de un entorno de ejecución de Java instalado (la carpeta que contiene "
              L"\"bin\"), o instale uno y vuelva a iniciar la aplicación."},
        {208, L"La aplicación no pudo determinar la ruta de su propio archivo de programa."},
        {209, L"La ruta de clases de la aplicación está vacía: no existe ninguno de los archivos indicados en el "
              L"ajuste \"Class Path\".\n\nVuelva a instalar la aplicación o corrija el ajuste \"Class Path\"."},
        {210, L"Falta el ajuste \"Main Class\" en la sección [Java Runtime Environment], por lo que la aplicación "
              L"no puede iniciarse.\n\nAñádalo a los ajustes y vuelva a empaquetar la aplicación."},
        {211, L"No se encontró la clase principal \"%s\".\n\nCompruebe los ajustes \"Main Class\" y \"Class Path\", "
              L"o vuelva a instalar la aplicación."},
        {212, L"Al archivo jvm.dll del entorno de ejecución de Java le falta una función que la aplicación necesita; "
              L"puede estar dañado o ser demasiado antiguo. Elija otro o vuelva a instalar este."},
        {213, L"No se pudo crear la máquina virtual de Java."},
        {214, L"Elija la carpeta de un entorno de ejecución de Java"},
        {215, L"No se pudo cargar la clase principal \"%s\".\n\nCompruebe los ajustes \"Main Class\" y \"Class "
              L"Path\", o vuelva a instalar la aplicación."},
        {216, L"La clase principal de la aplicación no tiene el método \"public static void main(String[])\".\n\n"
              L"Compruebe el ajuste \"Main Class\"."},
        {217, L"de cualquier versión"},
        {218, L"de la versión %s o anterior"},
        {219, L"de la versión %s o posterior"},
        {220, L"de la versión %s"},
        {221, L"de una versión de la %s a la %s"},
        {222, L"No se pudo cargar la biblioteca de la máquina virtual de Java \"%s\" (código de error de Windows "
              L"%d).\n\nUna aplicación de 64 bits necesita un entorno de ejecución de Java de 64 bits y una de 32 bits "
              L"uno de 32 bits; elija uno que coincida o vuelva a instalarlo."},
        {225, L"El entorno de ejecución de Java notificó un error desconocido (-1)."},
        {226, L"El entorno de ejecución de Java notificó que el hilo está desconectado (-2)."},
        {227, L"El entorno de ejecución de Java no admite la versión de JNI solicitada (-3); puede ser demasiado "
              L"antiguo."},
        {228, L"No hay memoria suficiente para la máquina virtual de Java (-4). Cierre otros programas o reduzca "
              L"la memoria indicada en \"Virtual Machine Parameters\"."},
        {229, L"Ya existe una máquina virtual de Java en este proceso (-5)."},
        {230, L"El entorno de ejecución de Java rechazó una opción (-6). Compruebe el ajuste \"Virtual Machine "
              L"Parameters\"."},
        {232, L"El entorno de ejecución de Java \"%s\" tiene la otra arquitectura de procesador, igual que el "
              L"lanzador asociado que lo ejecutaría, por lo que la aplicación no puede iniciarse.\n\nElija un entorno "
              L"de ejecución de Java de la arquitectura de esta aplicación o vuelva a instalar la aplicación."},
        {233, L"No se pudo iniciar el otro lanzador de la aplicación \"%s\" (código de error de Windows %d).\n\n"
              L"Vuelva a instalar la aplicación."},
        {234, L"La aplicación ya se está ejecutando, pero este inicio no pudo pasarle su línea de comandos.\n\n"
              L"Espere a que termine de iniciarse, o ciérrela, y vuelva a intentarlo."},
        {235, L"Para usar un entorno de ejecución de Java instalado, indique su carpeta en \"JRE Path\" de [Java "
              L"Runtime Environment] de \"%s\"."},
        {236, L"No se encontró en este equipo la biblioteca \"%s\", que necesita la biblioteca de la máquina "
              L"virtual de Java \"%s\".\n\nUn nombre que empieza por \"vcruntime\" o \"msvcp\" pertenece a "
              L"Microsoft Visual C++ Redistributable: instálelo para la arquitectura de esta aplicación (x64 o x86). "
              L"Para cualquier otro nombre, reinstale el entorno de ejecución de Java."},
        {237, L"%s necesita Java %s: ¿descargarlo ahora (%s MB)?"},
        {238, L"Descargando Java para %s"},
        {239, L"%s MB de %s MB recibidos, %s MB/s"},
        {240, L"Cancelar"},
        {241, L"No se pudo descargar Java desde \"%s\": %s"},
        {242, L"no se pudo conectar con el servidor (código de error de Windows %d). Compruebe la conexión de red y la configuración del proxy."},
        {243, L"el servidor respondió con el estado HTTP %d."},
        {244, L"llegaron %s bytes, pero la aplicación indica %s bytes."},
        {245, L"el archivo recibido no es el que indica la aplicación (su suma de comprobación SHA-256 es distinta)."},
        {246, L"no se pudo escribir \"%s\" (código de error de Windows %d)."},
        {247, L"el archivo no es un archivo zip que se pueda descomprimir."},
        {248, L"el archivo contiene la ruta \"%s\", que quedaría fuera de su carpeta."},
        {249, L"el archivo no contiene ningún entorno de ejecución de Java del ancho y la versión de esta aplicación."},
        {250, L"Un servicio no descarga Java. Instale el entorno de ejecución de Java que indica [Runtime Download], o establezca \"JRE Path\"."},
        {251, L"Escriba y y pulse Intro para descargarlo: "},
        {252, L"La aplicación pidió reiniciarse %d veces en %d segundos y esta vez no se reinicia.\n\nInícielo "
              L"usted mismo; si vuelve a ocurrir, reinstale la aplicación."},
        {253, L"Una actualización de la aplicación no pudo iniciarse y se deshizo: la versión anterior vuelve a "
              L"ejecutarse.\n\nLo ocurrido durante el inicio fallido está registrado en \"%s\"."},
    },
    {L"Se necesita un entorno de ejecución de Java", L"Carpeta del &entorno de ejecución de Java:",
     L"E&xaminar...", L"¿No tiene un entorno de ejecución de Java instalado? Descargue uno aquí:", L"Aceptar",
     L"Cancelar", L"Error inesperado",
     L"La aplicación encontró un error que no controló. Es posible que a partir de ahora no funcione "
     L"correctamente.",
     L"Detalles",
     L"Elija Continuar para que la aplicación siga funcionando, o Cerrar el programa para cerrarla. En ambos "
     L"casos puede perderse el trabajo no guardado.",
     L"Para informar del problema, seleccione los detalles y cópielos con Ctrl+C.", L"&Continuar",
     L"Ce&rrar el programa"},
};
