#include "tools/filterhost/configure.h"

#include "tools/filterhost/picture_preview.h"

bool ConfigureInstance(FilterInstance& instance, const FilterFunctions& services,
                       const Picture& picture, std::string& error) {
  FilterDefinition* const filter = instance.filter();
  if (filter->configProc == nullptr) {
    error = "the filter has no configuration dialog";
    return false;
  }
  PicturePreview preview(instance, picture);
  FilterActivation& activation = instance.activation();
  activation.ifp = &preview;
  const int result = filter->configProc(&activation, &services, nullptr);
  preview.Close();
  activation.ifp = nullptr;
  // Hosts read 0 as "done"; a dialog that cannot be made comes back as the platform's -1.
  if (result == -1) {
    error = "the configuration dialog could not be opened";
    return false;
  }
  if (!preview.error().empty()) {
    error = "preview: " + preview.error();
    return false;
  }
  return true;
}
