#pragma once
#include "app/pages/colour_panel.h"
#include "drums/position_lights.h"

namespace drums {

inline QColor LightColour(Light l) {
    switch (l) {
        case Light::Yellow:
            return app::clYellow;
        case Light::Blue:
            return app::clBlue;
        case Light::Green:
            break;
    }
    return app::clGreen;
}

}  // namespace drums
