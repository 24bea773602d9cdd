#include "CampoData.h"

#include "DataDigitada.h"
#include "ErroSistema.h"
#include "Protegido.h"

#include <QtGui/QFocusEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCalendarWidget>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOption>

namespace {

const QString k_formato = QStringLiteral("dd/MM/yyyy");

// The arrow a drop-down list shows, drawn by the window's style.
QIcon setaParaBaixo(QWidget *campo) {
    QPixmap figura(QSize(12, 12) * campo->devicePixelRatioF());
    figura.setDevicePixelRatio(campo->devicePixelRatioF());
    figura.fill(Qt::transparent);
    QPainter pintor(&figura);
    QStyleOption opcao;
    opcao.initFrom(campo);
    opcao.rect = QRect(0, 0, 12, 12);
    campo->style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &opcao, &pintor, campo);
    return QIcon(figura);
}

} // namespace

CampoData::CampoData(QWidget *parent) : QLineEdit(parent) {
    // Each digit takes the next place of the date, whatever the month shown before: nothing is
    // checked until the whole date is there.
    setInputMask(QStringLiteral("99/99/9999;_"));
    QAction *abrir = addAction(setaParaBaixo(this), QLineEdit::TrailingPosition);
    abrir->setToolTip(QStringLiteral("Calendário (F4)"));
    connect(abrir, &QAction::triggered, this,
            [this] { protegido([this] { mostrarCalendario(); }); });
}

void CampoData::setDate(const QDate &data) {
    setText(data.isValid() ? data.toString(k_formato) : QString());
    setCursorPosition(0);
}

QDate CampoData::date() const {
    return DataDigitada::ler(text()).value_or(QDate());
}

QDate CampoData::dataConferida() const {
    const auto data = DataDigitada::ler(text());
    if (!data)
        throw ErroSistema(DataDigitada::motivo(displayText()));
    return *data;
}

void CampoData::mostrarCalendario() {
    if (!m_calendario) {
        m_calendario = new QCalendarWidget(this);
        m_calendario->setWindowFlags(Qt::Popup);
        m_calendario->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
        m_calendario->setGridVisible(true);
        m_calendario->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        connect(m_calendario, &QCalendarWidget::activated, this, [this](const QDate &d) {
            setDate(d);
            m_calendario->hide();
            setFocus(Qt::PopupFocusReason);
        });
        connect(m_calendario, &QCalendarWidget::clicked, this, [this](const QDate &d) {
            setDate(d);
            m_calendario->hide();
            setFocus(Qt::PopupFocusReason);
        });
    }
    const QDate atual = date();
    m_calendario->setSelectedDate(atual.isValid() ? atual : QDate::currentDate());
    m_calendario->adjustSize();
    m_calendario->move(mapToGlobal(QPoint(0, height())));
    m_calendario->show();
    m_calendario->setFocus(Qt::PopupFocusReason);
}

void CampoData::keyPressEvent(QKeyEvent *evento) {
    if (evento->key() == Qt::Key_F4 ||
        (evento->key() == Qt::Key_Down && (evento->modifiers() & Qt::AltModifier))) {
        protegido([this] { mostrarCalendario(); });
        return;
    }
    QLineEdit::keyPressEvent(evento);
}

void CampoData::focusOutEvent(QFocusEvent *evento) {
    QLineEdit::focusOutEvent(evento);
    // Another window taking the focus (a message box, the calendar) is not leaving the field;
    // nor is a click on a button of the window, which checks the date itself.
    if (evento->reason() == Qt::ActiveWindowFocusReason ||
        evento->reason() == Qt::PopupFocusReason || !isEnabled() || !isVisible())
        return;
    const QWidget *destino = QApplication::focusWidget();
    if (!destino || destino->window() != window())
        return;
    if (evento->reason() == Qt::MouseFocusReason && qobject_cast<const QAbstractButton *>(destino))
        return;
    if (DataDigitada::ler(text()))
        return;
    // The date stays as typed and the user stays in the field to put it right.
    setFocus(Qt::OtherFocusReason);
    protegido([this] { dataConferida(); });
}
