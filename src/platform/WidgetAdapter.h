#pragma once
// Windows and controls as components: a window lists the named objects below it
// and the non-visual components that announce themselves to it, and each control
// offers the properties of its class's table by name (see WidgetAdapter.cpp).
//
// A window class holds a TWindowComponent on itself and its language component:
//     TWindowComponent Self{this};
//     TLanguage Lang{&Self};
// and names its controls with setObjectName, as the language file addresses them.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Component.h"

// A check-list box is a QListWidget whose items are user-checkable; a list without
// items yet marks itself with this dynamic property set to true, so that items set
// by a language file get check boxes too.
inline constexpr const char* CheckListProperty = "checkList";

// Any named QObject as a component of its window. It owns nothing.
class TQtComponent : public TComponent {
public:
    TQtComponent(QObject* object, TComponent* owner) : object_(object), owner_(owner) {}

    QObject* Object() const { return object_; }

    std::string Name() const override;
    TComponent* Owner() const override { return owner_; }
    std::vector<TComponent*> Components() const override { return {}; }
    bool FindProperty(const std::string& name, TPropertyKind& kind) const override;
    std::string GetStrProp(const std::string& name) const override;
    void SetStrProp(const std::string& name, const std::string& value) override;
    void SetOrdProp(const std::string& name, int value) override;
    void SetStringsProp(const std::string& name, const std::vector<std::string>& items) override;

private:
    QPointer<QObject> object_;
    TComponent* owner_;
};

// A window: owns every object with a non-empty objectName below it (whatever
// widget holds it on screen; not the contents of another window below it), in
// the order of the object tree, then the components that announced themselves.
class TWindowComponent : public TQtComponent {
public:
    explicit TWindowComponent(QWidget* window, TComponent* owner = nullptr) : TQtComponent(window, owner) {}

    std::vector<TComponent*> Components() const override;
    void InsertComponent(TComponent* c) override;
    void RemoveComponent(TComponent* c) override;

private:
    TQtComponent* Wrap(QObject* object) const;
    void Collect(QObject* parent, std::vector<TComponent*>& out) const;

    struct Wrapped {
        QPointer<QObject> object;
        std::unique_ptr<TQtComponent> component;
    };
    mutable std::map<const QObject*, Wrapped> wrapped_;
    std::vector<TComponent*> extra_;
};

// The short part of a two-part hint "short|long" (the whole text without a bar),
// shown as the tooltip; and the long part (the whole text without a bar).
std::string ShortHint(const std::string& hint);
std::string LongHint(const std::string& hint);

// The file-save dialog of a window as a non-visual component: a named child of the
// window whose title, filter ("text|mask|text|mask") and default extension a
// language file can replace. Texts in the ANSI code page.
class TSaveDialog : public QObject {
    Q_OBJECT
public:
    explicit TSaveDialog(QObject* parent = nullptr) : QObject(parent) {}
    std::string Title, Filter, DefaultExt;
    // The chosen file's path, or empty when cancelled.
    std::string Execute(const std::string& startFolder) const;
};
