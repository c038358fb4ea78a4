// The one source of the targets that make the precompiled Qt headers
// (cmake/qt_pch.cmake); the headers themselves are all it brings.
