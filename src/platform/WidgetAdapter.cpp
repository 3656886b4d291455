#include "WidgetAdapter.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <cstring>
#include <functional>

#include "CodePage.h"
#include "FormSupport.h"
#include "Seams.h"

namespace {

// One property of a class: its name, its kind and how it is read and set.
struct TPropDef {
    const char* Name;
    TPropertyKind Kind;
    std::function<std::string(QObject*)> Get;                                  // String
    std::function<void(QObject*, const std::string&)> SetStr;                  // String
    std::function<void(QObject*, int)> SetInt;                                 // Integer
    std::function<void(QObject*, const std::vector<std::string>&)> SetList;   // StringList
    std::function<bool(QObject*)> Applies = nullptr;                           // null: always
};

QStringList ToQStringList(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& s : items) list << AnsiToQString(s);
    return list;
}

// A text property read and set through a getter and a setter of class W.
template <class W>
TPropDef Text(const char* name, QString (W::*get)() const, void (W::*set)(const QString&)) {
    return {name, TPropertyKind::String,
            [get](QObject* o) { return QStringToAnsi((static_cast<W*>(o)->*get)()); },
            [set](QObject* o, const std::string& v) { (static_cast<W*>(o)->*set)(AnsiToQString(v)); },
            nullptr, nullptr};
}

template <class W>
TPropDef Text(const char* name, std::function<QString(W*)> get, std::function<void(W*, const QString&)> set) {
    return {name, TPropertyKind::String,
            [get](QObject* o) { return QStringToAnsi(get(static_cast<W*>(o))); },
            [set](QObject* o, const std::string& v) { set(static_cast<W*>(o), AnsiToQString(v)); }, nullptr,
            nullptr};
}

template <class W>
TPropDef Integer(const char* name, std::function<void(W*, int)> set) {
    return {name, TPropertyKind::Integer, nullptr, nullptr,
            [set](QObject* o, int v) { set(static_cast<W*>(o), v); }, nullptr};
}

template <class W>
TPropDef List(const char* name, std::function<void(W*, const QStringList&)> set) {
    return {name, TPropertyKind::StringList, nullptr, nullptr, nullptr,
            [set](QObject* o, const std::vector<std::string>& items) { set(static_cast<W*>(o), ToQStringList(items)); }};
}

// A text kept in a std::string member of a non-visual component.
template <class C>
TPropDef Field(const char* name, std::string C::*field) {
    return {name, TPropertyKind::String, [field](QObject* o) { return static_cast<C*>(o)->*field; },
            [field](QObject* o, const std::string& v) { static_cast<C*>(o)->*field = v; }, nullptr, nullptr};
}

template <class W>
TPropDef When(TPropDef def, std::function<bool(W*)> applies) {
    def.Applies = [applies](QObject* o) { return applies(static_cast<W*>(o)); };
    return def;
}

void SetHint(QWidget* w, const QString& hint) { SetWidgetHint(w, QStringToAnsi(hint)); }

QString GetHint(QWidget* w) { return AnsiToQString(WidgetHint(w)); }

void SetListItems(QListWidget* list, const QStringList& items) {
    const bool checkable = list->property(CheckListProperty).toBool() ||
                           (list->count() > 0 && (list->item(0)->flags() & Qt::ItemIsUserCheckable));
    list->clear();
    list->addItems(items);
    if (!checkable) return;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

// The properties of each class. A control offers those of its own class and of
// every base class, the nearest class first; a top-level window first offers the
// "window" entries. An exact-only table is not inherited.
struct TClassTable {
    const char* ClassName;
    bool ExactOnly;
    std::vector<TPropDef> Props;
};

const TClassTable& WindowTable() {
    static const TClassTable table{"window", false,
                                   {Text<QWidget>("Caption", &QWidget::windowTitle, &QWidget::setWindowTitle)}};
    return table;
}

const std::vector<TClassTable>& ClassTables() {
    static const std::vector<TClassTable> tables{
        {"QWidget", false,
         {Integer<QWidget>("Left", [](QWidget* w, int v) { w->move(v, w->pos().y()); }),
          Integer<QWidget>("Top", [](QWidget* w, int v) { w->move(w->pos().x(), v); }),
          Integer<QWidget>("Width", [](QWidget* w, int v) { w->resize(v, w->height()); }),
          Integer<QWidget>("Height", [](QWidget* w, int v) { w->resize(w->width(), v); }),
          Integer<QWidget>("Tag", [](QWidget* w, int v) { w->setProperty("tag", v); }),
          Text<QWidget>("Hint", GetHint, SetHint)}},
        // Buttons, flat buttons, check boxes and radio buttons.
        {"QAbstractButton", false, {Text<QAbstractButton>("Caption", &QAbstractButton::text, &QAbstractButton::setText)}},
        // A label showing a picture is an image: it has no caption.
        {"QLabel", false,
         {When<QLabel>(Text<QLabel>("Caption", &QLabel::text, &QLabel::setText),
                       [](QLabel* l) { return l->pixmap().isNull(); })}},
        {"QGroupBox", false, {Text<QGroupBox>("Caption", &QGroupBox::title, &QGroupBox::setTitle)}},
        // A plain frame is a panel; it keeps its caption for whatever paints it.
        {"QFrame", true,
         {Text<QFrame>(
             "Caption", [](QFrame* f) { return f->property("caption").toString(); },
             [](QFrame* f, const QString& v) {
                 f->setProperty("caption", v);
                 f->update();
             })}},
        {"QLineEdit", false, {Text<QLineEdit>("Text", &QLineEdit::text, &QLineEdit::setText)}},
        {"QComboBox", false,
         {Text<QComboBox>(
              "Text", [](QComboBox* c) { return c->currentText(); },
              [](QComboBox* c, const QString& v) {
                  if (c->isEditable()) c->setEditText(v);
                  else c->setCurrentText(v);
              }),
          List<QComboBox>("Items", [](QComboBox* c, const QStringList& items) {
              c->clear();
              c->addItems(items);
          })}},
        {"QPlainTextEdit", false,
         {List<QPlainTextEdit>("Lines",
                               [](QPlainTextEdit* m, const QStringList& l) { m->setPlainText(l.join('\n')); })}},
        {"QTextEdit", false,
         {List<QTextEdit>("Lines", [](QTextEdit* m, const QStringList& l) { m->setPlainText(l.join('\n')); })}},
        {"QListWidget", false, {List<QListWidget>("Items", SetListItems)}},
        {"TSaveDialog", false,
         {Field("Title", &TSaveDialog::Title), Field("Filter", &TSaveDialog::Filter),
          Field("DefaultExt", &TSaveDialog::DefaultExt)}},
    };
    return tables;
}

const TPropDef* SearchTable(const TClassTable& table, QObject* o, const std::string& name) {
    for (const TPropDef& p : table.Props)
        if (SameNameAscii(p.Name, name) && (!p.Applies || p.Applies(o))) return &p;
    return nullptr;
}

const TPropDef* FindDef(QObject* o, const std::string& name) {
    if (!o) return nullptr;
    if (o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
        if (const TPropDef* p = SearchTable(WindowTable(), o, name)) return p;
    for (const QMetaObject* mo = o->metaObject(); mo; mo = mo->superClass()) {
        for (const TClassTable& t : ClassTables()) {
            if (std::strcmp(t.ClassName, mo->className()) != 0) continue;
            if (t.ExactOnly && mo != o->metaObject()) continue;
            if (const TPropDef* p = SearchTable(t, o, name)) return p;
        }
    }
    return nullptr;
}

}  // namespace

std::string ShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

std::string LongHint(const std::string& hint) {
    size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

std::string TSaveDialog::Execute(const std::string& startFolder) const {
    return Dialogs().SaveFileName(Title, Filter, DefaultExt, startFolder);
}

std::string TQtComponent::Name() const { return object_ ? QStringToAnsi(object_->objectName()) : std::string(); }

bool TQtComponent::FindProperty(const std::string& name, TPropertyKind& kind) const {
    const TPropDef* p = FindDef(object_, name);
    if (!p) return false;
    kind = p->Kind;
    return true;
}

std::string TQtComponent::GetStrProp(const std::string& name) const {
    const TPropDef* p = FindDef(object_, name);
    return p && p->Get ? p->Get(object_) : std::string();
}

void TQtComponent::SetStrProp(const std::string& name, const std::string& value) {
    const TPropDef* p = FindDef(object_, name);
    if (p && p->SetStr) p->SetStr(object_, value);
}

void TQtComponent::SetOrdProp(const std::string& name, int value) {
    const TPropDef* p = FindDef(object_, name);
    if (p && p->SetInt) p->SetInt(object_, value);
}

void TQtComponent::SetStringsProp(const std::string& name, const std::vector<std::string>& items) {
    const TPropDef* p = FindDef(object_, name);
    if (p && p->SetList) p->SetList(object_, items);
}

TQtComponent* TWindowComponent::Wrap(QObject* object) const {
    Wrapped& w = wrapped_[object];
    if (!w.component || w.object != object) {
        w.object = object;
        w.component = std::make_unique<TQtComponent>(object, const_cast<TWindowComponent*>(this));
    }
    return w.component.get();
}

void TWindowComponent::Collect(QObject* parent, std::vector<TComponent*>& out) const {
    for (QObject* child : parent->children()) {
        const QString name = child->objectName();
        // Qt's own inner parts carry names beginning with "qt_".
        if (name.startsWith(QLatin1String("qt_"))) continue;
        if (!name.isEmpty()) out.push_back(Wrap(child));
        // Another window below this one owns its own controls.
        if (child->isWidgetType() && static_cast<QWidget*>(child)->isWindow()) continue;
        Collect(child, out);
    }
}

std::vector<TComponent*> TWindowComponent::Components() const {
    for (auto it = wrapped_.begin(); it != wrapped_.end();)
        it = it->second.object ? std::next(it) : wrapped_.erase(it);
    std::vector<TComponent*> out;
    if (Object()) Collect(Object(), out);
    out.insert(out.end(), extra_.begin(), extra_.end());
    return out;
}

void TWindowComponent::InsertComponent(TComponent* c) { extra_.push_back(c); }

void TWindowComponent::RemoveComponent(TComponent* c) { std::erase(extra_, c); }
