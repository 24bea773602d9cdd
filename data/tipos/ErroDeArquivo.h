#pragma once
#include "ErroSistema.h"

#include <QString>

// What the system said when a file could not be written or read, told in Portuguese: the disk
// is full, there is no permission, the folder is missing. Every writer of files says it so.
namespace ErroDeArquivo {

// The reason for an errno value, as the end of a sentence ("o disco está cheio").
QString motivo(int erro);

// "Não foi possível gravar o arquivo X: o disco está cheio."
ErroSistema aoGravar(const QString &arquivo, int erro);
// The same for a work file in the temporary folder, naming the folder: a full temporary
// folder is not the user's folder being full.
ErroSistema naPastaTemporaria(const QString &pasta, int erro);
// A failure while a file was being made, with the file named first when the failure does not
// name it ("O arquivo X não foi gravado. A pasta temporária /tmp está cheia...").
ErroSistema naoGravado(const QString &arquivo, const ErroSistema &causa);

} // namespace ErroDeArquivo
