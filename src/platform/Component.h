#pragma once
// What a language file needs of a window and its controls: every component
// has a name and an owner, an owner lists what it owns in order, and properties
// are reached by name at run time. The widget layer implements it on Qt objects;
// the core never sees a widget.
#include <string>
#include <vector>

enum class TPropertyKind {
    String,      // read and set as text
    Integer,     // set from an integer
    StringList,  // set from a list of items, which the property copies
    Other,       // anything else: not touched by a language file
};

class TComponent {
public:
    virtual ~TComponent() = default;

    virtual std::string Name() const = 0;
    virtual TComponent* Owner() const = 0;
    // The components this one owns, in the owner's order. The pointers stay valid
    // until the next call on this component or a change of the windows.
    virtual std::vector<TComponent*> Components() const = 0;
    // A component announces itself to its owner when it is created with one, and
    // leaves when it is destroyed. An owner that keeps no list ignores both.
    virtual void InsertComponent(TComponent*) {}
    virtual void RemoveComponent(TComponent*) {}

    // Looks a property up by name, the Latin letters a-z compared without regard
    // to case; false when the component has no such property.
    virtual bool FindProperty(const std::string& name, TPropertyKind& kind) const = 0;
    // Only for a property found with the matching kind; text in the ANSI code page.
    virtual std::string GetStrProp(const std::string& name) const = 0;
    virtual void SetStrProp(const std::string& name, const std::string& value) = 0;
    virtual void SetOrdProp(const std::string& name, int value) = 0;
    virtual void SetStringsProp(const std::string& name, const std::vector<std::string>& items) = 0;
};

// Equal when a-z are turned to A-Z and nothing else is folded.
bool SameNameAscii(const std::string& a, const std::string& b);
