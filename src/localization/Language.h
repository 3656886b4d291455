#pragma once
// The language component: one per window, named "Lang". It finds the language
// file beside the program, applies the window's section of it to the window's
// components, and supplies message texts with the built-in text as fallback.
// Nothing is cached: every operation reads the file anew.
#include <functional>
#include <string>
#include <vector>

#include "Component.h"

class TLanguage;

using TNotifyEvent = std::function<void(TLanguage* Sender)>;
// Raised before a property is set; the handler may change NewValue, and whatever
// it leaves there is applied, even empty text.
using TLanguageNotifyEvent = std::function<void(TLanguage* Sender, TComponent* AComponent, std::string PropertyName,
                                                std::string OldValue, std::string& NewValue)>;

// Raised by Translate for a value that an integer property cannot take.
inline constexpr const char* InvalidIntegerText = "Неверное целое число '%s'";

class TLanguage : public TComponent {
public:
    // The owner is the window; the component announces itself to it.
    explicit TLanguage(TComponent* owner, std::string name = "Lang");
    ~TLanguage() override;
    TLanguage(const TLanguage&) = delete;
    TLanguage& operator=(const TLanguage&) = delete;

    // Full path of the language file in use; empty until FindLanguageFile succeeds.
    const std::string& LanguageFile() const { return languageFile_; }
    // Divides the names of a key and the items of a string-list value. Text that is
    // empty after trimming becomes "/"; anything else is kept as it stands.
    const std::string& Separator() const { return separator_; }
    void SetSeparator(const std::string& value);

    TNotifyEvent OnBeforeTranslation;
    TNotifyEvent OnAfterTranslation;  // only after every key was applied
    TLanguageNotifyEvent OnTranslate;

    // Looks for the program's language file; true and LanguageFile set when one
    // exists, false with LanguageFile unchanged otherwise.
    bool FindLanguageFile();
    // Applies the owner window's section, key by key in file order. A value that
    // does not convert for an integer property raises Error and ends it there.
    void Translate();
    // Applies one key=value pair of the owner window's section.
    void TranslateKey(const std::string& key, const std::string& value);
    // The text of message `identifier`, or `def` when no file gives it.
    std::string GetMessage(const std::string& identifier, const std::string& def) const;

    // The item list of a string-list value, split at the separator.
    std::vector<std::string> SplitItems(const std::string& value) const;

    // TComponent
    std::string Name() const override { return name_; }
    TComponent* Owner() const override { return owner_; }
    std::vector<TComponent*> Components() const override { return {}; }
    bool FindProperty(const std::string& name, TPropertyKind& kind) const override;
    std::string GetStrProp(const std::string& name) const override;
    void SetStrProp(const std::string& name, const std::string& value) override;
    void SetOrdProp(const std::string&, int) override {}
    void SetStringsProp(const std::string&, const std::vector<std::string>&) override {}

private:
    TComponent* owner_;
    std::string name_;
    std::string languageFile_;
    std::string separator_;
};
