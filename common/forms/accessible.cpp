#include "accessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTextDocumentFragment>
#include <QWidget>

namespace forms::accessible
{

namespace
{

struct Group {
    QAccessible::Role role;
    QList<QPointer<QWidget>> members;
};

QHash<const QObject *, Description> &descriptions()
{
    static QHash<const QObject *, Description> all;
    return all;
}

QHash<const QObject *, Group> &groups()
{
    static QHash<const QObject *, Group> all;
    return all;
}

const Description *descriptionOf(const QObject *object)
{
    const auto found = descriptions().constFind(object);
    return found == descriptions().cend() ? nullptr : &*found;
}

QObject *groupOf(const QWidget *member)
{
    for (auto it = groups().cbegin(); it != groups().cend(); ++it) {
        if (it->members.contains(member))
            return const_cast<QObject *>(it.key());
    }
    return nullptr;
}

// Tooltips may be markup (the tickers'); a screen reader reads the text.
QString plainText(const QString &text)
{
    return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
}

class Control : public QAccessibleWidget
{
public:
    explicit Control(QWidget *widget) : QAccessibleWidget(widget) {}

    QAccessible::Role role() const override
    {
        const Description *d = descriptionOf(object());
        return d ? d->role : QAccessibleWidget::role();
    }

    QString text(QAccessible::Text kind) const override
    {
        const Description *d = descriptionOf(object());
        if (d && d->name && kind == QAccessible::Name)
            return d->name();
        const QString own = QAccessibleWidget::text(kind);
        if (kind != QAccessible::Description)
            return own;
        // The tooltip, unless it only says the name again.
        const QString description = plainText(own);
        return description == text(QAccessible::Name) ? QString() : description;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (const Description *d = descriptionOf(object())) {
            if (d->checked) {
                state.checkable = true;
                state.checked = d->checked();
            }
            if (d->selected) {
                state.selectable = true;
                state.selected = d->selected();
            }
        }
        return state;
    }

    QAccessibleInterface *parent() const override
    {
        if (QObject *node = groupOf(widget()))
            return QAccessible::queryAccessibleInterface(node);
        return QAccessibleWidget::parent();
    }

    int childCount() const override { return int(children().size()); }
    QAccessibleInterface *child(int index) const override { return children().value(index); }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return int(children().indexOf(const_cast<QAccessibleInterface *>(child)));
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        const Description *d = descriptionOf(object());
        if (d && d->press)
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString &action) override
    {
        const Description *d = descriptionOf(object());
        if (d && d->press && action == pressAction())
            QMetaObject::invokeMethod(widget(), d->press, Qt::QueuedConnection);
        else
            QAccessibleWidget::doAction(action);
    }

private:
    // The child widgets as Qt lists them, each group's members replaced by
    // the group's node where its first member stands.
    QList<QAccessibleInterface *> children() const
    {
        QList<QAccessibleInterface *> shown;
        for (QObject *object : widget()->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (!child || child->isWindow())
                continue;
            QObject *node = groupOf(child);
            QAccessibleInterface *iface =
                QAccessible::queryAccessibleInterface(node ? node : child);
            if (iface && !shown.contains(iface))
                shown << iface;
        }
        return shown;
    }
};

class GroupNode : public QAccessibleObject
{
public:
    explicit GroupNode(QObject *node) : QAccessibleObject(node) {}

    QAccessible::Role role() const override { return groups().value(object()).role; }
    QString text(QAccessible::Text) const override { return {}; }
    QAccessible::State state() const override { return {}; }

    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(object()->parent());
    }

    int childCount() const override { return int(members().size()); }
    QAccessibleInterface *child(int index) const override
    {
        QWidget *member = members().value(index);
        return member ? QAccessible::queryAccessibleInterface(member) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(members().indexOf(qobject_cast<QWidget *>(child->object()))) : -1;
    }

    QRect rect() const override
    {
        QRect all;
        for (int i = 0; i < childCount(); ++i)
            all |= child(i)->rect();
        return all;
    }

private:
    QList<QWidget *> members() const
    {
        QList<QWidget *> alive;
        for (const QPointer<QWidget> &member : groups().value(object()).members) {
            if (member)
                alive << member;
        }
        return alive;
    }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (groups().contains(object))
        return new GroupNode(object);
    if (descriptions().contains(object))
        return new Control(static_cast<QWidget *>(object));
    return nullptr;
}

void installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

// Qt keeps the interface it made for an object; one made before the
// object was described (a label announces each caption) would stay Qt's.
void forgetEarlierInterface(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    if (iface && !dynamic_cast<Control *>(iface) && !dynamic_cast<GroupNode *>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

} // namespace

void describe(QWidget *control, Description description)
{
    installFactory();
    descriptions().insert(control, std::move(description));
    QObject::connect(control, &QObject::destroyed, [control] { descriptions().remove(control); });
    forgetEarlierInterface(control);
}

QObject *group(QWidget *window, QAccessible::Role role, const QList<QWidget *> &members)
{
    installFactory();
    auto *node = new QObject(window);
    Group group{role, {}};
    for (QWidget *member : members)
        group.members << member;
    groups().insert(node, group);
    QObject::connect(node, &QObject::destroyed, [node] { groups().remove(node); });
    return node;
}

void nameChanged(QWidget *control)
{
    QAccessibleEvent event(control, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void stateChanged(QWidget *control, QAccessible::State changed)
{
    QAccessibleStateChangeEvent event(control, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace forms::accessible
