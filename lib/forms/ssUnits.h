// The start-up and shutdown steps of the library's units, handed to the application object.
#pragma once

// Adds the steps of the library's units to Application in the order they run: the
// floating-point control word, the drive unit's space query, the registry unit's theming library,
// the taskbar identity with its hook on the application window, the holiday table cleared.
// It also registers the component classes of the framework and the library for reading from
// component streams. Every program calls it once before Application->Initialize, which runs them.
void RegisterLibraryUnits();
