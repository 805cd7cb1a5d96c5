#pragma once
#include "drums/position_lights.h"
#include "ui/colour_panel.h"

namespace drums {

inline QColor LightColour(Light l) {
    switch (l) {
        case Light::Yellow:
            return ui::clYellow;
        case Light::Blue:
            return ui::clBlue;
        case Light::Green:
            break;
    }
    return ui::clGreen;
}

}  // namespace drums
