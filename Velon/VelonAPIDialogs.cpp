// showOpenDialog and showSaveDialog: a path chosen by the user, through the
// plug-in's device browser or the system's choosers.
#include "Velon/VelonAPI.h"

#include "ScriptingCore/exceptions.h"
#include "ScriptingCore/utf8_tools.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "Velon/Velon.h"
#include "widgets/TDeviceBrowseDialog.h"
#include "widgets/TFileSystemManagerDialog.h"

namespace {

struct DialogRequest {
    const char* method;  // "showOpenDialog" or "showSaveDialog"
    bool open;
    int mode;
    std::string title;
    PB::variant dir;
    std::string description;
    std::string patterns;
};

std::wstring text(const std::string& key)
{
    return PB::utf8_to_wstring(Configuration::get_message(false, key));
}

template <class Dialog>
void set_inputs(Dialog& dialog, const DialogRequest& request)
{
    dialog.folderMode = (request.mode & 1) != 0;
    dialog.openMode = request.open;
    if (request.dir.holds<std::string>())
        dialog.setPath(PB::utf8_to_wstring(request.dir.cast<std::string>()));
    dialog.setFileFilter(PB::utf8_to_wstring(request.description), PB::utf8_to_wstring(request.patterns));
}

// The chosen path, or nothing when the user did not choose.
bool run_device_browser(const DialogRequest& request, std::wstring& path)
{
    TDeviceBrowseDialog dialog;
    dialog.setTitle(Velon::set_title(request.title));
    dialog.labels[0] = text("dlg_label_search_in");
    dialog.labels[1] = text("dlg_label_dir_name");
    dialog.labels[2] = text("dlg_label_file_type");
    dialog.cancelText = text("mes_cancel");
    dialog.refreshText = text("dlg_button_refresh");
    dialog.focusButton = 1;
    set_inputs(dialog, request);
    if (dialog.run() != 1)
        return false;
    path = dialog.path;
    return true;
}

bool run_system_chooser(const DialogRequest& request, std::wstring& path)
{
    TFileSystemManagerDialog dialog;
    dialog.setTitle(Velon::set_title(request.title));
    set_inputs(dialog, request);
    if (!dialog.run())
        return false;
    path = dialog.path;
    return true;
}

}  // namespace

namespace {

std::string show_dialog(VelonAPI& api, const DialogRequest& request)
{
    const std::string function = std::string("VelonAPI::") + request.method;
    const std::string dirText = request.dir.holds<std::string>() ? request.dir.cast<std::string>() : "*dir*";
    VELON_TRACE(function, function + "(" + std::to_string(request.mode) + ", " + request.title + ", " + dirText +
                              ", " + request.description + ", " + request.patterns + ")");
    api.check_initPlugin(request.method);

    std::wstring path;
    bool chosen = false;
    switch (request.mode) {
    case 1:
    case 2:
        chosen = run_device_browser(request, path);
        break;
    case 129:
    case 130:
        chosen = run_system_chooser(request, path);
        break;
    default:
        break;
    }
    if (!chosen) {
        ::PB::Log::error(function + "()", Configuration::get_message(true, "dlg_cancel_by_user"), __FILE__, __LINE__,
                         function.c_str());
        throw PB::script_error(Configuration::get_message(false, "dlg_cancel_by_user"));
    }
    return PB::wstring_to_utf8(path);
}

}  // namespace

std::string VelonAPI::showOpenDialog(int mode, std::string title, PB::variant dir, std::string fileTypeDescription,
                                     std::string fileTypePatterns)
{
    return show_dialog(*this, {"showOpenDialog", true, mode, std::move(title), std::move(dir),
                               std::move(fileTypeDescription), std::move(fileTypePatterns)});
}

std::string VelonAPI::showSaveDialog(int mode, std::string title, PB::variant dir, std::string fileTypeDescription,
                                     std::string fileTypePatterns)
{
    return show_dialog(*this, {"showSaveDialog", false, mode, std::move(title), std::move(dir),
                               std::move(fileTypeDescription), std::move(fileTypePatterns)});
}
