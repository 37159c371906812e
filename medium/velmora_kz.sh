#!/bin/sh
# Velmora_KZ.exe: the application's own program. It notes where and when it was started (first
# line the folder, second line the time) and hands over to the Java runtime.
{ pwd -P; date '+%Y-%m-%d %H:%M:%S'; } > Velmora_KZ.started
exec java -jar Velmora_KZ.jar "$@"
