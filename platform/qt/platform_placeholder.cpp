// The Qt services live in the folders beside this file; this unit keeps the library
// non-empty until the first of them is added.
namespace ridgeview::platform {
void PlatformLibraryAnchor() {}
}  // namespace ridgeview::platform
