#include "Protegido.h"

#include "Avisador.h"
#include "ErroSistema.h"

void tratarErro(std::exception_ptr erro) {
    try {
        std::rethrow_exception(erro);
    } catch (const ErroSistema &e) {
        Avisador::atual().erro(e.mensagem());
    } catch (const std::exception &e) {
        Avisador::atual().erro(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Avisador::atual().erro(QStringLiteral("Erro inesperado."));
    }
}
