#!/bin/sh
# Instalador de demostración de Tavrin @VERSION@: no instala nada. Solo deja constancia de que se ha
# ejecutado añadiendo una línea (una por ejecución) a un fichero de marca, para probar la actualización
# de principio a fin.
MARKER=@MARKER@
printf 'Tavrin @VERSION@ instalado (demostración)\n' >> "$MARKER"
