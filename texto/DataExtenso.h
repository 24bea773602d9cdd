#pragma once
#include <QDate>
#include <QString>

// The date in words of a receipt: two-digit day, " de ", the full month name in Brazilian
// Portuguese, " de ", the four-digit year ("05 de março de 2012"). Empty for an invalid date.
QString DataPorExtenso(const QDate &data);
