#include "core/app/app_state.h"

namespace arbel::app {

std::string_view kindTag(ActiveKind kind) {
    switch (kind) {
        case ActiveKind::First:
            return "first";
        case ActiveKind::Dir:
            return "dir";
        case ActiveKind::Auto:
            return "auto";
        case ActiveKind::List:
            return "list";
        case ActiveKind::Viewer:
            return "viewer";
        case ActiveKind::None:
            return "";
    }
    return "";
}

std::string_view dialogTag(DialogTag tag) {
    switch (tag) {
        case DialogTag::None:
            return "";
        case DialogTag::FindForm:
            return "findform";
        case DialogTag::Rename:
            return "rename";
        case DialogTag::Copier:
            return "copier";
        case DialogTag::Attrib:
            return "attrib";
        case DialogTag::NewDir:
            return "newdir";
        case DialogTag::Shortcut:
            return "shortcut";
        case DialogTag::Delete:
            return "delete";
        case DialogTag::GotoForm:
            return "gotoform";
        case DialogTag::RunForm:
            return "runform";
        case DialogTag::Assoc:
            return "assoc";
        case DialogTag::Format:
            return "format";
        case DialogTag::Network:
            return "network";
        case DialogTag::Undo:
            return "undohist";
    }
    return "";
}

std::string_view signalTag(RefreshSignal signal) {
    switch (signal) {
        case RefreshSignal::None:
            return "";
        case RefreshSignal::Yes:
            return "yes";
        case RefreshSignal::DelUpdate:
            return "delupdate";
        case RefreshSignal::Rename:
            return "rename";
        case RefreshSignal::Format:
            return "format";
        case RefreshSignal::CaptionUpdate:
            return "captionupdate";
        case RefreshSignal::DfDrop:
            return "dfdrop";
        case RefreshSignal::Deletes:
            return "deletes";
        case RefreshSignal::Lowercase:
            return "lowercase";
        case RefreshSignal::Dc:
            return "dc";
    }
    return "";
}

}  // namespace arbel::app
