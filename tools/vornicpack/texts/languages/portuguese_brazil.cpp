#include "texts/language_texts.h"

// Portuguese (Brazil). "Java runtime" is "ambiente de execução Java" throughout.
extern const LanguageTexts kPortugueseBrazilTexts = {
    "pt-BR", "Portuguese (Brazil)", 0x0416,
    {
        {202, L"%s\n\nCódigo de erro do Windows: %d."},
        {203, L"%s\n\n%s"},
        {206, L"Este aplicativo precisa de um ambiente de execução Java com a máquina virtual de servidor, %s, e "
              L"nenhum foi encontrado neste computador.\n\nEscolha a pasta de um ambiente de execução Java assim (a "
              L"pasta que contém \"bin\\server\\jvm.dll\"), ou instale um e inicie o aplicativo novamente."},
        {207, L"Este aplicativo precisa de um ambiente de execução Java %s, e nenhum foi encontrado neste "
              L"computador.\n\nEscolha a pasta de um ambiente de execução Java instalado (a pasta que contém "
              L"\"bin\"), ou instale um e inicie o aplicativo novamente."},
        {208, L"O aplicativo não conseguiu determinar o caminho do seu próprio arquivo de programa."},
        {209, L"O caminho de classes do aplicativo está vazio: nenhum dos arquivos indicados pela configuração "
              L"\"Class Path\" existe.\n\nReinstale o aplicativo ou corrija a configuração \"Class Path\"."},
        {210, L"A configuração \"Main Class\" na seção [Java Runtime Environment] está faltando, por isso o "
              L"aplicativo não pode iniciar.\n\nAdicione-a às configurações e empacote o aplicativo novamente."},
        {211, L"A classe principal \"%s\" não foi encontrada.\n\nVerifique as configurações \"Main Class\" e \"Class "
              L"Path\", ou reinstale o aplicativo."},
        {212, L"O jvm.dll do ambiente de execução Java não tem uma função de que o aplicativo precisa; ele pode "
              L"estar danificado ou ser antigo demais. Escolha outro ou reinstale este."},
        {213, L"Não foi possível criar a máquina virtual Java."},
        {214, L"Escolha a pasta de um ambiente de execução Java"},
        {215, L"Não foi possível carregar a classe principal \"%s\".\n\nVerifique as configurações \"Main Class\" e "
              L"\"Class Path\", ou reinstale o aplicativo."},
        {216, L"A classe principal do aplicativo não tem o método \"public static void main(String[])\".\n\n"
              L"Verifique a configuração \"Main Class\"."},
        {217, L"de qualquer versão"},
        {218, L"da versão %s ou anterior"},
        {219, L"da versão %s ou posterior"},
        {220, L"da versão %s"},
        {221, L"de uma versão de %s a %s"},
        {222, L"Não foi possível carregar a biblioteca da máquina virtual Java \"%s\" (código de erro do Windows "
              L"%d).\n\nUm aplicativo de 64 bits precisa de um ambiente de execução Java de 64 bits, e um de 32 bits, "
              L"de um de 32 bits; escolha um compatível ou reinstale-o."},
        {225, L"O ambiente de execução Java informou um erro desconhecido (-1)."},
        {226, L"O ambiente de execução Java informou que o thread está desanexado (-2)."},
        {227, L"O ambiente de execução Java não oferece suporte à versão de JNI solicitada (-3); ele pode ser "
              L"antigo demais."},
        {228, L"Não há memória suficiente para a máquina virtual Java (-4). Feche outros programas ou reduza a "
              L"memória indicada em \"Virtual Machine Parameters\"."},
        {229, L"Já existe uma máquina virtual Java neste processo (-5)."},
        {230, L"O ambiente de execução Java recusou uma opção (-6). Verifique a configuração \"Virtual Machine "
              L"Parameters\"."},
        {232, L"O ambiente de execução Java \"%s\" tem a outra arquitetura de processador, assim como o iniciador "
              L"associado que o executaria, por isso o aplicativo não pode iniciar.\n\nEscolha um ambiente de "
              L"execução Java da arquitetura deste aplicativo ou reinstale o aplicativo."},
        {233, L"Não foi possível iniciar o outro iniciador do aplicativo \"%s\" (código de erro do Windows %d).\n\n"
              L"Reinstale o aplicativo."},
        {234, L"O aplicativo já está em execução, mas esta inicialização não conseguiu passar a ele sua linha de "
              L"comando.\n\nAguarde até que ele tenha iniciado, ou feche-o, e tente novamente."},
        {235, L"Para usar um ambiente de execução Java instalado, defina \"JRE Path\" em [Java Runtime Environment] "
              L"de \"%s\" como a pasta dele."},
        {236, L"A biblioteca \"%s\", de que a biblioteca da máquina virtual Java \"%s\" precisa, não foi "
              L"encontrada neste computador.\n\nUm nome que começa com \"vcruntime\" ou \"msvcp\" pertence ao "
              L"Microsoft Visual C++ Redistributable: instale-o para a arquitetura deste aplicativo (x64 ou x86). "
              L"Para qualquer outro nome, reinstale o ambiente de execução Java."},
        {237, L"%s precisa do Java %s: baixar agora (%s MB)?"},
        {238, L"Baixando o Java para %s"},
        {239, L"%s MB de %s MB recebidos, %s MB/s"},
        {240, L"Cancelar"},
        {241, L"Não foi possível baixar o Java de \"%s\": %s"},
        {242, L"não foi possível acessar o servidor (código de erro do Windows %d). Verifique a conexão de rede e as configurações de proxy."},
        {243, L"o servidor respondeu com o status HTTP %d."},
        {244, L"chegaram %s bytes, mas o aplicativo indica %s bytes."},
        {245, L"o arquivo recebido não é o que o aplicativo indica (sua soma de verificação SHA-256 é diferente)."},
        {246, L"não foi possível gravar \"%s\" (código de erro do Windows %d)."},
        {247, L"o arquivo não é um arquivo zip que possa ser descompactado."},
        {248, L"o arquivo contém o caminho \"%s\", que ficaria fora da sua pasta."},
        {249, L"o arquivo não contém nenhum ambiente de execução Java com a largura e a versão deste aplicativo."},
        {250, L"Um serviço não baixa o Java. Instale o ambiente de execução Java indicado em [Runtime Download] ou defina \"JRE Path\"."},
        {251, L"Digite y e pressione Enter para baixá-lo: "},
        {252, L"O aplicativo pediu para ser reiniciado %d vezes em %d segundos e desta vez não será "
              L"reiniciado.\n\nInicie-o você mesmo; se isso ocorrer de novo, reinstale o aplicativo."},
        {253, L"Uma atualização do aplicativo não pôde iniciar e foi desfeita: a versão anterior está em execução "
              L"novamente.\n\nO que aconteceu na inicialização com falha está registrado em \"%s\"."},
    },
    {L"Ambiente de execução Java necessário", L"Pasta do &ambiente de execução Java:", L"&Procurar...",
     L"Nenhum ambiente de execução Java instalado? Baixe um em:", L"OK", L"Cancelar", L"Erro inesperado",
     L"O aplicativo encontrou um erro que não tratou. A partir de agora, ele pode não funcionar corretamente.",
     L"Detalhes",
     L"Escolha Continuar para manter o aplicativo em execução, ou Encerrar programa para fechá-lo. O trabalho não "
     L"salvo pode ser perdido em ambos os casos.",
     L"Para relatar o problema, selecione os detalhes e copie-os com Ctrl+C.", L"&Continuar",
     L"&Encerrar programa"},
};
