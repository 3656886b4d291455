#include "Language.h"

#include "CodePage.h"
#include "Error.h"
#include "Files.h"
#include "Format.h"
#include "Messages.h"
#include "Profile.h"

namespace {

std::string Trim(const std::string& s) { return std::string(TrimBlanks(s)); }


// Position of the separator in `s`; an empty separator is never found.
size_t FindSeparator(const std::string& s, const std::string& sep) {
    return sep.empty() ? std::string::npos : s.find(sep);
}

TComponent* FindOwned(const TComponent* owner, const std::string& name) {
    for (TComponent* c : owner->Components())
        if (SameNameAscii(c->Name(), name)) return c;
    return nullptr;
}

}  // namespace


TLanguage::TLanguage(TComponent* owner, std::string name) : owner_(owner), name_(std::move(name)) {
    if (owner_) owner_->InsertComponent(this);
}

TLanguage::~TLanguage() {
    if (owner_) owner_->RemoveComponent(this);
}

void TLanguage::SetSeparator(const std::string& value) { separator_ = Trim(value).empty() ? "/" : value; }

bool TLanguage::FindLanguageFile() {
    std::string found = FindLanguageFileName();
    if (found.empty()) return false;
    languageFile_ = found;
    return true;
}

void TLanguage::Translate() {
    if (OnBeforeTranslation) OnBeforeTranslation(this);
    if (owner_) {
        TIniFile ini(languageFile_);
        const std::string section = owner_->Name();
        std::vector<std::string> keys;
        if (!languageFile_.empty()) ini.ReadSection(section, keys);
        for (const std::string& key : keys) {
            if (Trim(key).empty()) continue;
            TranslateKey(key, ini.ReadString(section, key, ""));
        }
    }
    if (OnAfterTranslation) OnAfterTranslation(this);
}

void TLanguage::TranslateKey(const std::string& keyIn, const std::string& valueIn) {
    std::string key = Trim(keyIn);
    if (key.empty()) return;
    TComponent* target = owner_;
    size_t at;
    while (target && (at = FindSeparator(key, separator_)) != std::string::npos) {
        std::string head = Trim(key.substr(0, at));
        key = Trim(key.substr(at + separator_.size()));
        target = FindOwned(target, head);
    }
    if (!target || valueIn.empty()) return;

    std::string value = valueIn;
    TPropertyKind kind;
    const bool exists = target->FindProperty(key, kind);
    if (OnTranslate) {
        std::string oldValue = exists && kind == TPropertyKind::String ? target->GetStrProp(key) : std::string();
        OnTranslate(this, target, key, oldValue, value);
    }
    if (!exists) return;
    switch (kind) {
    case TPropertyKind::String:
        target->SetStrProp(key, value);
        break;
    case TPropertyKind::Integer: {
        int number;
        if (!TryStrToInt(value, number)) throw Error(Format(A(InvalidIntegerText), {value}));
        target->SetOrdProp(key, number);
        break;
    }
    case TPropertyKind::StringList:
        target->SetStringsProp(key, SplitItems(value));
        break;
    case TPropertyKind::Other:
        // Enumerations, sets, numbers with a fraction, events: a text has no
        // meaning for them, so they keep their value.
        break;
    }
}

std::vector<std::string> TLanguage::SplitItems(const std::string& valueIn) const {
    std::vector<std::string> items;
    std::string value = valueIn;
    size_t at;
    while ((at = FindSeparator(value, separator_)) != std::string::npos) {
        items.push_back(Trim(value.substr(0, at)));
        value = value.substr(at + separator_.size());
    }
    std::string last = Trim(value);
    if (!last.empty()) items.push_back(last);
    return items;
}

std::string TLanguage::GetMessage(const std::string& identifier, const std::string& def) const {
    if (languageFile_.empty()) return def;
    return TIniFile(languageFile_).ReadString(MessagesSection, identifier, def);
}

bool TLanguage::FindProperty(const std::string& name, TPropertyKind& kind) const {
    if (SameNameAscii(name, "LanguageFile") || SameNameAscii(name, "Separator")) {
        kind = TPropertyKind::String;
        return true;
    }
    for (const char* event : {"OnBeforeTranslation", "OnAfterTranslation", "OnTranslate"}) {
        if (SameNameAscii(name, event)) {
            kind = TPropertyKind::Other;
            return true;
        }
    }
    return false;
}

std::string TLanguage::GetStrProp(const std::string& name) const {
    if (SameNameAscii(name, "LanguageFile")) return languageFile_;
    if (SameNameAscii(name, "Separator")) return separator_;
    return {};
}

void TLanguage::SetStrProp(const std::string& name, const std::string& value) {
    // LanguageFile is only ever set by FindLanguageFile.
    if (SameNameAscii(name, "Separator")) SetSeparator(value);
}
