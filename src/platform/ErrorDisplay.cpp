#include "ErrorDisplay.h"

#include "CodePage.h"
#include "Error.h"
#include "Seams.h"

const char* ApplicationTitleUtf8() { return "Квизор II"; }

bool RunHandler(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const Error& e) {
        Dialogs().ShowError(e.Text());
    } catch (const std::bad_alloc&) {
        Dialogs().ShowError("Out of memory");
    } catch (const std::exception& e) {
        Dialogs().ShowError(e.what());
    } catch (...) {
        Dialogs().ShowError("Unknown error");
    }
    return false;
}
