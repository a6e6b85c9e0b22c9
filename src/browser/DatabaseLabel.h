#pragma once

#include <QString>

// How the status line names the database a window works on, from the database's target: an SQLite
// file by its file name, a PostgreSQL URL by its database and server. Nothing else of the URL (the
// user, the password, the connection options) ever reaches the screen.
QString DatabaseLabel(const QString &target);
