#include "widgets/Accessibility.h"

#include "widgets/OptionButton.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QTextDocumentFragment>

namespace norvane {

namespace {

// The dynamic property that marks a value label; it holds the caption.
constexpr const char* kValueCaption = "norvaneValueCaption";

// A mnemonic's '&' is not read out; "&&" stands for one '&'.
QString withoutMnemonic(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        result += text[i];
    }
    return result;
}

class ValueLabelAccessible final : public QAccessibleWidget {
public:
    explicit ValueLabelAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name)
            return QAccessibleWidget::text(kind);
        const auto* label = static_cast<const QLabel*>(widget());
        QString shown = label->text();
        if (label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(shown)))
            shown = QTextDocumentFragment::fromHtml(shown).toPlainText();
        return shown.isEmpty() ? label->property(kValueCaption).toString() : shown;
    }
};

// The option buttons keep exclusivity themselves instead of through Qt's
// auto-exclusive groups, which makes Qt present them as check boxes.
class OptionButtonAccessible final : public QAccessibleWidget {
public:
    explicit OptionButtonAccessible(OptionButton* button)
        : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return withoutMnemonic(button()->text());
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action == pressAction() && widget()->isEnabled())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    OptionButton* button() const { return static_cast<OptionButton*>(widget()); }
};

QAccessibleInterface* createInterface(const QString& className, QObject* object) {
    if (className == QLatin1String(OptionButton::staticMetaObject.className()))
        return new OptionButtonAccessible(static_cast<OptionButton*>(object));
    if (className == QLatin1String("QLabel") && object->property(kValueCaption).isValid())
        return new ValueLabelAccessible(static_cast<QLabel*>(object));
    return nullptr;
}

} // namespace

void installAccessibility() {
    // Qt keeps the factory list for the process; register ours exactly once.
    static const bool installed = [] {
        QAccessible::installFactory(&createInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

void markValueLabel(QLabel* label, const QString& caption) {
    installAccessibility();
    label->setProperty(kValueCaption, caption);
    // An interface Qt made before the mark would stay in its cache; drop it so the
    // next query builds the value label's own.
    if (QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(label);
        existing && !dynamic_cast<ValueLabelAccessible*>(existing))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

} // namespace norvane
