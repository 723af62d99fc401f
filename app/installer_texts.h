#pragma once
// The installer's own texts, in one place.

#include <string_view>

namespace tarvik {

inline constexpr std::string_view kAppTitle = "tarvik_installer";
inline constexpr std::string_view kWindowCaption = "Tarvik V2   official update 2";

inline constexpr std::string_view kInstallButton = "Install update now";
inline constexpr std::string_view kAddFolderButton = "Add folder...";
inline constexpr std::string_view kListTooltip =
    "Choose one or more Tarvik directories where the update has to been installed";
inline constexpr std::string_view kLabel1 = "This is the second official update for";
inline constexpr std::string_view kLabel2 = "Update";
inline constexpr std::string_view kLabel3 = "Tarvik V2.0";
inline constexpr std::string_view kLabel4 = "to";
inline constexpr std::string_view kLabel5 = "Tarvik V2.1";
inline constexpr std::string_view kLabel6 = "in:";
inline constexpr std::string_view kLabel7 = "Installing update now, please wait";
inline constexpr std::string_view kLabel8 =
    "Tarvik scenery for Microsoft Flightsimulator 2000/2002";

inline constexpr std::string_view kUpdateInstalled = "Update installed successfully";

inline constexpr std::string_view kNoFolderFound =
    "No Tarvik folder was found on this computer.\n\n"
    "Press \"Add folder...\" to choose the Tarvik folder yourself.";
inline constexpr std::string_view kNoFolderSelected =
    "No folder is selected.\n\n"
    "Tick the Tarvik folders to update in the list, or press \"Add folder...\" to choose one "
    "yourself.";

// The hand-over to an instance with administrator rights.
inline constexpr std::string_view kNetworkFoldersUnreachable =
    "The installer started with administrator rights cannot reach these ticked folders: they "
    "are on network drives whose network path Windows does not tell. They are handed over "
    "unticked; to update them, map their drives again or start the installer from an "
    "administrator's account.";
inline constexpr std::string_view kTooManyFoldersToHandOver =
    "Too many folders are ticked to hand them to an installer with administrator rights. Tick "
    "fewer folders, or start the installer with administrator rights yourself.";

// The folder picker.
inline constexpr std::string_view kPickerPrompt = "Please select the Tarvik directory";
inline constexpr std::string_view kPickerSelect = "Select directory";
inline constexpr std::string_view kPickerCancel = "Cancel";
inline constexpr std::string_view kPickedSimulatorColumn = "  Manualy                   ";
inline constexpr std::string_view kPickedVersionColumn = " Fs2002 manualy...         ";

}  // namespace tarvik
