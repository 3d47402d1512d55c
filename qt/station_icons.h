#pragma once
// The station's pictures: its own icon, and the icon the notification area
// shows for each of the station's states, so that a station needing someone
// is seen at a glance without opening anything; and the state's colours.

#include <QColor>
#include <QIcon>
#include <optional>
#include <string>

namespace korv {

// The theme's icon of that name (the one the package installs), or a drawn
// one.
QIcon StationIcon(const std::string& name);

// `base` with a badge in its lower right corner for the state the window's
// Tray names: "attention" an amber "!", "fault" a red "x"; "normal" (and any
// other name) the base as it is. Drawn at whatever size it is asked for, so
// it stays sharp in every notification area.
QIcon StateIcon(const QIcon& base, const std::string& state);

// The colours a state is written in on the window (the state line, a
// printer's row that holds tickets), as the badges: none for "normal".
struct StateColors {
  QColor background;
  QColor text;
};
std::optional<StateColors> StateColorsOf(const std::string& state);

}  // namespace korv
