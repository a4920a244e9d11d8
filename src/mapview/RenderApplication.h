#pragma once
/// \brief Text drawing on a QImage needs a QGuiApplication (its font database). Command-line and
/// test programs have none, so every render entry point makes sure one exists.

namespace plotra {

/// Creates a QGuiApplication on the "offscreen" platform (unless QT_QPA_PLATFORM names another)
/// when the process has no application object yet. Call from the thread that owns the application.
void EnsureRenderApplication();

} // namespace plotra
