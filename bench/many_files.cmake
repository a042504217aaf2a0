# Writes an application of many small files into OUT: COUNT files of 8 KiB,
# each of its own bytes, and the manifest SETUP.LST that lists them all in
# the installation folder.  Run with cmake -DOUT=<folder> -DCOUNT=<n> -P.
file(MAKE_DIRECTORY ${OUT})
set(manifest "[Setup]\r\nNom=Beaucoup\r\nVersion=1.0\r\nDossierInstall=Beaucoup\r\nDossierDemarrage=Beaucoup\r\n")
string(APPEND manifest "Desinstall=Beaucoup\r\nRun=Beaucoup\r\nFichiers=${COUNT}\r\n")
foreach(number RANGE 1 ${COUNT})
  # Text that compresses about as a program's resources do.
  string(RANDOM LENGTH 8192 ALPHABET "abcdefghijklmnopqrstuvwxyz      ;=0123456789" RANDOM_SEED ${number} bytes)
  file(WRITE ${OUT}/f${number}.dat "${bytes}")
  string(APPEND manifest "[Fichier_${number}]\r\nNom=f${number}.dat\r\nDossier=program\r\nTaille=8192\r\n")
endforeach()
file(WRITE ${OUT}/SETUP.LST "${manifest}")
