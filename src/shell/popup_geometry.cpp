#include "shell/popup_geometry.h"

#include <algorithm>

namespace vt::shell {

PopupOptions SimulatorPopupOptions(const SimulatorRequest& request) {
    PopupOptions options;
    options.title = request.title;
    options.url = request.url;
    options.width = LeadingInteger(request.width);
    options.height = LeadingInteger(request.height);
    options.script = request.script;
    options.canMaximise = false;
    options.showLoading = true;
    return options;
}

PopupOptions DetailPopupOptions(const std::string& url) {
    PopupOptions options;
    options.url = url;
    return options;
}

PopupSize PopupPageSize(int width, int height) {
    if (width == 0 || height == 0)
        return kPopupDefaultPage;
    return {width, height};
}

PopupSize PopupWindowSize(int width, int height) {
    const PopupSize page = PopupPageSize(width, height);
    return {page.width + 4, page.height + 36};
}

PopupRect PopupPageRect(int clientWidth, int clientHeight) {
    return {1, kPopupCaptionHeight, std::max(0, clientWidth - 4), std::max(0, clientHeight - 36)};
}

CaptionButtonPlaces PlaceCaptionButtons(int width, int closeWidth, int maximiseWidth) {
    CaptionButtonPlaces places;
    places.close = {width - closeWidth - 10, 10};
    places.maximise = {width - maximiseWidth - closeWidth - 20, 10};
    places.restore = {places.maximise.x - 5, 10};
    return places;
}

PopupPoint LoadingImagePlace(int pageWidth, int pageHeight, int imageWidth, int imageHeight) {
    return {(pageWidth - imageWidth) / 2, (pageHeight - imageHeight) / 2};
}

}  // namespace vt::shell
