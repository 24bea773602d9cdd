// Amounts written in words per second, over every amount from 0,00 to
// 999.999,99 in steps of one centavo (100 million calls), or over every
// n-th of them when a step in centavos is given: bench_extenso [passo].
#include "Extens.h"

#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    const int64_t passo = argc > 1 ? std::max(1LL, std::atoll(argv[1])) : 1;
    constexpr int64_t maximo = 99999999;

    QElapsedTimer relogio;
    relogio.start();
    int64_t chamadas = 0;
    int64_t caracteres = 0; // keeps the work from being optimised away
    for (int64_t c = 0; c <= maximo; c += passo) {
        caracteres += ValorPorExtenso(Dinheiro::deCentavos(c)).size();
        ++chamadas;
    }
    const double segundos = relogio.nsecsElapsed() / 1e9;
    std::printf("ValorPorExtenso(Dinheiro): %lld chamadas (passo %lld centavos) em %.2f s: "
                "%.0f chamadas/s (%lld caracteres)\n",
                static_cast<long long>(chamadas), static_cast<long long>(passo), segundos,
                chamadas / segundos, static_cast<long long>(caracteres));

    // The typed-text entry, on a sample of one million amounts formatted beforehand.
    QStringList digitados;
    const int64_t passoTexto = 100;
    for (int64_t c = 0; c <= maximo; c += passoTexto)
        digitados.append(Dinheiro::deCentavos(c).formatado());
    relogio.restart();
    caracteres = 0;
    for (const QString &digitado : std::as_const(digitados))
        caracteres += ValorPorExtenso(digitado)->size();
    const double segundosTexto = relogio.nsecsElapsed() / 1e9;
    std::printf("ValorPorExtenso(QString): %lld chamadas (passo %lld centavos) em %.2f s: "
                "%.0f chamadas/s (%lld caracteres)\n",
                static_cast<long long>(digitados.size()), static_cast<long long>(passoTexto),
                segundosTexto, digitados.size() / segundosTexto,
                static_cast<long long>(caracteres));
    return 0;
}
