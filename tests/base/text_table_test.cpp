#include "base/text_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp1252.h"

namespace orvadw {
namespace {

using Items = std::vector<std::string>;

// Reference texts, copied as written in the product's text list; the parser
// below reads them independently of how the table stores its rows. "\n" and
// "\r" stand for the line breaks.

// English, with the French where it differs (lists: English items only).
constexpr const char* kEnglishFrenchList = R"rows(
- 1: "1st screen" (French "1er écran")
- 2: "Actual" (French "Actuel")
- 3: "Application"
- 4: "Caution" (French "Attention")
- 5: "Bauds"
- 6: "C0"
- 7: "Period TX" (French "Cadence TX")
- 8: "Hardware" (French "Carte")
- 9: "C 20mA"
- 10: "C 4mA"
- 11: "Sp. Sound" (French "Célérité")
- 12: "C. Material" (French "C. Matériau")
- 13: "HAYES init string (AT)" (French "Chaîne d'initialisation HAYES (AT)")
- 14: "HAYES disconnect string (AT)" (French "Chaîne de raccrochage HAYES (AT)")
- 15: "Choice" (French "Choix")
- 16: list (4 entries); English: "Sp. Sound", "Gain/IQ", "Date/Time", "Sphere"
- 17: list (3 entries); English: "", "Trying to connect", "Communication Failure"
- 18: list (2 entries); English: "No Fault", "Fault"
- 19: list (2 entries); English: "Normal", "Test"
- 20: list (2 entries); English: "Measure", "Simulation"
- 21: list (4 entries); English: "2 MHz", "1 MHz", "500 kHz", "250 kHz"
- 22: list (6 entries); English: "Francais", "English", "Espanol", "Italiano", "Deutsch", "Português"
- 23: list (14 entries); English: "Other", "Nylon", "Ptfe", "Polyethy.", "Plexi", "Pvc", "Glass", "Copper", "Cast Iron", "Gray C.Iron", "St. Steel", "Steel", "Aluminium", "Asbestos"
- 24: list (6 entries); English: "Tx D. Rx U.", "Tx U. Rx D.", "Tx U. Rx U.", "Tx D.  Rx D.", "Rx U.", "Rx D."
- 25: list (2 entries); English: "No", "Yes"
- 26: list (2 entries); English: "Tone", "Pulse"
- 27: list (2 entries); English: "Yes", "No"
- 28: list (2 entries); English: "Reverse", "Normal"
- 29: list (3 entries); English: "Off", "Timed", "On"
- 30: list (2 entries); English: "Normal", "Reverse"
- 31: list (10 entries); English: "Kalometra R6", "Kalometra R20", "Kalometra Vel", "Kalometra Q", "Kalometra H", "Kalometra XT", "Kalometra DS", "Kalometra OR", "Kalometra DS", "Kalometra OR"
- 33: list (5 entries); English: "HW-A", "HW-B", "HW-C", "HW-D", "****"
- 34: list (3 entries); English: "Manual", "Automatic", "E.S.C."
- 35: list (2 entries); English: "Falling Edge", "Zero Crossing"
- 36: list (6 entries); English: "Open", "Fault Q", "Threshold+ C", "Sphere", "Close", "Threshold- C"
- 37: list (2 entries); English: "Velocity", "Flow"
- 39: "Com"
- 40: list (10 entries); English: "Com1", "Com2", "Com3", "Com4", "Com5", "Com6", "Com7", "Com8", "Com9", "Com10"
- 41: "Count" (French "Compteur")
- 42: "Pipe - Product" (French "Conduite - Produit")
- 43: "Pipe 1" (French "Conduite 1")
- 44: "Pipe 2" (French "Conduite 2")
- 45: "Connection by compatible HAYES modem" (French "Connexion par modem compatible Hayes")
- 46: "Chord 1" (French "Corde 1")
- 47: "Chord 2" (French "Corde 2")
- 48: "CAG Time" (French "Rythme CAG")
- 50: "Cycle"
- 51: "Date"
- 52: "DateTime"
- 53: "DateTimeDerSphere"
- 54: "dB"
- 55: "Defaults" (French "Défauts")
- 56: "Delta C"
- 57: "Last Sphere" (French "Dernière Sphère")
- 58: "Autosearch" (French "Détection")
- 59: "The device did not answer.\nDetection failed!" (French "L'appareil n'a pas répondu.\nDétection échouée !")
- 60: "The device did answer.\nDetection success!" (French "L'appareil a été trouvé.\nDétection réussie !")
- 61: "Ext. Diameter" (French "Diamètre Ext.")
- 62: "US Impulse" (French "Durée US")
- 63: "Record" (French "Enregistrement")
- 65: "Thickness" (French "Epaisseur")
- 66: "Can not load the JBus number ! Please, retry !" (French "Impossible de récupérer le N°JBus ! Veuillez réessayer !")
- 67: "Can not open destination file !" (French "Impossible d'ouvrir le fichier destination !")
- 68: "Incorrect File" (French "Fichier incorrect")
- 69: "The file already exists, do you want to replace it ?" (French "Le fichier existe déjà, voulez vous le remplacer ?")
- 70: "Same Source file as select file !" (French "Fichier source identique au fichier destination !")
- 71: "Save As failed, use default file !" (French "La sauvegarde a échoué, retour au fichier par défaut !")
- 73: "connection failure! The unit does not answer! " (French "Connexion impossible ! L'appareil ne répond pas !")
- 74: "Error" (French "Erreur")
- 75: "The version of the firmware is not compatible with this software.\nUse the software version" (French "Version du firmware n'est pas compatible avec la version de ce logiciel.\nVeuillez utiliser le logiciel version")
- 76: "Failed connection! \n\ncheck connection to modem.\ncheck the state of modem.\ncheck initialization string. " (French "Connexion échouée ! \n\nVérifiez la connexion au modem.\nVérifiez l'état du modem.\nVérifiez la chaîne d'initialisation.")
- 77: "Couldn't open source file : " (French "Impossible d'ouvrir le fichier : ")
- 78: "Cannot open COM port !" (French "Impossible d'ouvrir le port Com !")
- 79: "choose the macro \n Validate to launch the macro\n Cancel to pass to the continuation without the macro" (French "Choisir la macro\nValider pour lancer la macro\nAnnuler pour passer à la suite sans la macro")
- 80: "Export data" (French "Export de données")
- 81: "File" (French "Fichier")
- 82: "ESC File|esc" (French "Fichier ESC|esc")
- 83: "Setting File|eta" (French "Fichier Paramétrage|eta")
- 84: "Logger File|log" (French "Fichier Logger|log")
- 85: "Measurement File|mes" (French "Fichier Mesure|mes")
- 86: "OEM File|dev" (French "Fichier OEM|dev")
- 87: "PRN File" (French "Fichier PRN")
- 88: "Analog Output Settings File|sa" (French "Fichier Réglage Sorties courant|sa")
- 89: "Special Settings File|rsp" (French "Fichier Réglage Spécial|rsp")
- 90: "Excel File" (French "Fichier Excel")
- 91: "Filter" (French "Filtre")
- 92: "Firmware"
- 93: "Function" (French "Fonction")
- 94: "Probe Freq." (French "Fréq. Sonde")
- 95: "Gain"
- 96: "Gain 20mA"
- 97: "Gain 4mA"
- 98: "Max Gain" (French "Gain Max")
- 99: "General" (French "Général")
- 100: "Min Gain(dB)" (French "Gain Min(dB)")
- 101: "Printed at " (French "Imprimé le ")
- 102: "Initialization:" (French "Initialisation : ")
- 103: "I.Q."
- 104: "N. JBus"
- 105: "Language" (French "Langue")
- 106: "Serial Link" (French "Liaison Série")
- 107: "Line 1" (French "Ligne 1")
- 108: "Line 2" (French "Ligne 2")
- 109: list (4 entries); English: "Français", "English", "Português", "Deutsch"
- 110: "Max Length Sphere" (French "Longueur Max Sphère")
- 111: "Min Length Sphere" (French "Longueur Min Sphère")
- 112: "m3/h"
- 113: "&About..." (French "&A propos...")
- 114: "Margin" (French "Marge")
- 115: "Material" (French "Matériau")
- 117: "&Option" (French "&Configuration")
- 118: "&Connect" (French "&Connecter")
- 120: "&Disconnect" (French "&Déconnecter")
- 121: "&Dialogue"
- 122: "Memory" (French "Mémoire")
- 123: "&ESC info" (French "&Info ESC")
- 124: "Stop meas. on" (French "Mesure sur")
- 125: "&File" (French "&Fichier")
- 126: "&Print all" (French "&Imprimer tout")
- 127: "&Initalization" (French "I&nitialisation")
- 128: "&Load Option File" (French "Ch&arger fichier de config")
- 129: "&Logger"
- 130: "mm"
- 131: "&Measurement" (French "&Mesure")
- 132: "&Modem connected" (French "&Modem connecté")
- 133: "&Modem desconnected" (French "&Modem déconnecté")
- 134: "mn"
- 135: "&New" (French "&Nouveau")
- 136: "Modem"
- 137: "TX/RX Mode" (French "Mode TX/RX")
- 138: " (Changed)" (French " (Modifié(e))")
- 139: "&OEM"
- 140: "&Open" (French "&Ouvrir")
- 141: "&Settings" (French "&Paramétrage")
- 142: "m/s"
- 143: "&Exit" (French "&Quitter")
- 144: "Analog Output Settings" (French "Réglages des sorties courant")
- 145: "Special &Settings" (French "Réglage S&pécial")
- 146: "ms"
- 147: "&Save all" (French "&Sauvegarder tout")
- 148: "&Save Option File As..." (French "&Enregistrer fichier de config sous...")
- 149: "Unit Name" (French "Nom Appareil")
- 150: "Number" (French "Nombre")
- 151: "Serial Nbr." (French "N° de Série")
- 152: "Board Serial Nbr." (French "N° de Série Carte")
- 153: "N°"
- 154: "Dial:" (French "Numérotation : ")
- 155: "Dial command:" (French "Numérotation par")
- 156: "Telephon number" (French "Numéro de téléphone")
- 157: "Busy !\nConnection failed !" (French "Ligne occupée !\nLa connexion a échoué !")
- 158: "Max Chord" (French "Paire Max")
- 159: "Actual parameters" (French "Paramètres actuels")
- 160: "Parameters" (French "Paramètre")
- 161: "Reference paramters" (French "Paramètres références")
- 162: "Analog Output Settings" (French "Réglages des sorties courant")
- 163: "No Dialtone !\nConnection failed !" (French "Pas de Tonalité !\nLa connexion a échoué !")
- 164: "Connection failed !" (French "La connexion a échoué !")
- 165: "Disconnection failed !" (French "La déconnexion a échoué !")
- 166: "Polarity" (French "Polarité")
- 167: "%"
- 168: "Pts 20mA"
- 169: "Pts 4mA"
- 170: "Max Q Sphere" (French "Q Max Sphère")
- 171: "Min Q Sphere" (French "Q Min Sphère")
- 172: "Hang up" (French "Raccrochage : ")
- 173: "Reset logger" (French "Raz logger")
- 174: "Erase Sphere Count" (French "RAZ Compteur Sphère")
- 175: "Looking for the device" (French "Recherche de l'appareil")
- 176: "Relay 1" (French "Relais 1")
- 177: "Relay 2" (French "Relais 2")
- 178: "Back light" (French "Rétro éclairage")
- 179: "Analog Output 1" (French "Sortie Analogique 1")
- 180: "Analog Output 2" (French "Sortie Analogique 2")
- 181: "Max A.O." (French "S.A.Max")
- 182: "Save configuration file ?" (French "Attention voulez vous sauvegarder la configuration ?")
- 183: "Save File" (French "Sauvegarde Fichier")
- 184: "Sample Time Interval" (French "Période d'échantillonnage")
- 185: "Max Time to save" (French "Temps de sauvegarde Max")
- 186: "s"
- 187: "Direction" (French "Sens")
- 188: "Threshold" (French "Seuil")
- 189: "Probe" (French "Sonde")
- 190: "Output 1" (French "Sortie 1")
- 191: "Output 2" (French "Sortie 2")
- 192: "Outputs" (French "Sorties")
- 193: "Sphere" (French "Sphère")
- 194: "Synchronisation with PC time" (French "Synchronisation avec heure PC")
- 195: "Dead time" (French "Temps mort")
- 196: "SpreadSheet" (French "Tableur")
- 197: "About..." (French "A propos...")
- 198: "Choice of Macro" (French "Choix de la macro")
- 199: "Option" (French "Configuration")
- 200: "Modem connexion" (French "Connexion au modem")
- 201: "Modem disconnection" (French "Déconnexion du modem")
- 202: "Time" (French "Temps")
- 203: "Left time" (French "Temps restant ")
- 204: "ESC info" (French "Info ESC")
- 205: "Time" (French "Heure")
- 206: "Time out before first character " (French "Time out avant le 1ier caractère")
- 207: "Initialization" (French "Initialisation")
- 208: "Logger"
- 209: "Measurement" (French "Mesure")
- 210: "T Obt(µs)"
- 211: "OEM"
- 212: "Settings" (French "Paramétrage")
- 213: "Do you want to transfer data to the device ?" (French "Voulez vous transférer les informations dans l'appareil ?")
- 214: "Special Settings" (French "Réglage Spécial")
- 215: "Analog Output Settings" (French "Réglages des sorties courant")
- 216: "Differences" (French "Différences")
- 217: "Type"
- 218: "Unit" (French "Type Appareil")
- 219: "2Pipes" (French "Biconduite")
- 220: "2chords" (French "Bicorde")
- 221: "1chord" (French "Monocorde")
- 222: "Kalometra R20"
- 223: "Kalometra R6"
- 224: "Kalometra XT"
- 225: "Kalometra H"
- 226: "Kalometra OR"
- 227: "Kalometra OR" (French "Kalometra OR XT")
- 228: "Kalometra Q"
- 229: "Kalometra DS"
- 230: "Kalometra DS" (French "Kalometra DS XT")
- 231: "Kalometra Vel"
- 232: "Type of Gain" (French "Type Gain")
- 234: "Unit" (French "Unité")
- 235: "Device connected" (French "Unité connectée")
- 236: "Unit Number : ______________________" (French "Unité N° : ______________________")
- 237: "µs"
- 238: "Reference" (French "Référence")
- 239: "Value(µs)" (French "Valeur(µs)")
- 240: "Version"
- 241: "Version" (French "Versions")
- 242: "Signature : ______________________" (French "Visa : ______________________")
- 243: list (7 entries); English: "300", "600", "1200", "2400", "4800", "9600", "BlueTooth"
- 244: "Max Velocity Sphere" (French "V Max Sphère")
- 245: "Min Velocity Sphere" (French "V Min Sphère")
- 246: "Please wait!\r\n Connexion to the unit in progress! " (French "Veuillez Patienter !\r\n Connexion à l'appareil en cours !")
- 247: "Please wait!\r\n Conversion in progress! " (French "Veuillez Patienter !\r\n Conversion en cours !")
)rows";

// Columns: id, French, English, Portuguese, German; list items split by " / ".
constexpr const char* kFourLanguageRows = R"rows(
| 16 | "Célérité" / "Gain/IQ" / "Date/Heure" / "Sphère" | "Sp. Sound" / "Gain/IQ" / "Date/Time" / "Sphere" | "Velocidade do Som" / "Ganho/IQ" / "Data/Hora" / "Pig/Esfera" | "Schallgeschwindigkeit" / "Gain/IQ" / "Datum/Zeit" / "Sphere" |
| 17 | "" / "Attente de connexion" / "Communication interrompue" | "" / "Trying to connect" / "Communication Failure" | "" / "Aguardando conexão" / "Falha de comunicação" | "" / "Versuche zu verbinden" / "Komunikations Fehler" |
| 18 | "Pas de Défaut" / "Défaut" | "No Fault" / "Fault" | "Sem falha" / "Falha" | "Kein Fehler" / "Fehler" |
| 19 | "Normal" / "Test" | "Normal" / "Test" | "Normal" / "Teste" | "Normal" / "Test" |
| 20 | "Mesure" / "Simulation" | "Measure" / "Simulation" | "Medição" / "Simulação" | "Messung" / "Simulation" |
| 21 | "2 MHz" / "1 MHz" / "500 kHz" / "250 kHz" | "2 MHz" / "1 MHz" / "500 kHz" / "250 kHz" | "2 MHz" / "1 MHz" / "500 kHz" / "250 kHz" | "2 MHz" / "1 MHz" / "500 kHz" / "250 kHz" |
| 22 | "Français" / "English" / "Espanol" / "Italiano" / "Deutsch" / "Português" | "Francais" / "English" / "Espanol" / "Italiano" / "Deutsch" / "Português" | "Français" / "English" / "Espanol" / "Italiano" / "Deutsch" / "Português" | "Français" / "English" / "Espanol" / "Italiano" / "Deutsch" / "Português" |
| 23 | "Autre" / "Nylon" / "Téflon" / "Polyethy." / "Plexi" / "Pvc" / "Verre" / "Cuivre" / "Fonte" / "Fonte Grise" / "Inox" / "Acier" / "Aluminium" / "Fibrociment" | "Other" / "Nylon" / "Ptfe" / "Polyethy." / "Plexi" / "Pvc" / "Glass" / "Copper" / "Cast Iron" / "Gray C.Iron" / "St. Steel" / "Steel" / "Aluminium" / "Asbestos" | "Outro" / "Nylon" / "Teflon" / "Polietileno." / "Acrilico" / "PVC" / "Vidro" / "Cobre" / "Fofo" / "Fofo gran." / "Inox" / "Aço" / "Aluminio" / "Fibrocimento" | "Andere" / "Nylon" / "Ptfe" / "Polyethy." / "Plexi" / "PVC" / "Glas" / "Kupfer" / "Guss-Eisen" / "Grau-Guss" / "Edelstahl" / "Stahl" / "Aluminium" / "Asbest" |
| 24 | "Tx AV. Rx AM." / "Tx AM. Rx AV." / "Tx AM. Rx AM." / "Tx AV. Rx AV." / "Rx AV." / "Rx AM." | "Tx D. Rx U." / "Tx U. Rx D." / "Tx U. Rx U." / "Tx D.  Rx D." / "Rx U." / "Rx D." | "Tx AJ. Rx AM." / "Tx AM. Rx AJ." / "Tx AM. Rx AM." / "Tx AJ. Rx AJ." / "Rx AJ." / "Rx AM." | "Tx D. Rx U." / "Tx U. Rx D." / "Tx U. Rx U." / "Tx D.  Rx D." / "Rx U." / "Rx D." |
| 25 | "Non" / "Oui" | "No" / "Yes" | "Não" / "Sim" | "Nein" / "Ja" |
| 26 | "Tonalité" / "Impulsion" | "Tone" / "Pulse" | "Tonalidade" / "Impulso" | "Tone" / "Impuls" |
| 27 | "Oui" / "Non" | "Yes" / "No" | "Sim" / "Não" | "Ja" / "Nein" |
| 28 | "Inverse" / "Normal" | "Reverse" / "Normal" | "Invertida" / "Normal" | "Reverse" / "Normal" |
| 29 | "Off" / "Tempo" / "On" | "Off" / "Timed" / "On" | "Off" / "Tempo" / "On" | "Aus" / "Zeitgesteuert" / "An" |
| 30 | "Normal" / "Inverse" | "Normal" / "Reverse" | "Normal" / "Invertido" | "Normal" / "Reverse" |
| 31 | "Kalometra R6" / "Kalometra R20" / "Kalometra Vel" / "Kalometra Q" / "Kalometra H" / "Kalometra XT" / "Kalometra DS XT" / "Kalometra OR XT" / "Kalometra DS" / "Kalometra OR" | "Kalometra R6" / "Kalometra R20" / "Kalometra Vel" / "Kalometra Q" / "Kalometra H" / "Kalometra XT" / "Kalometra DS" / "Kalometra OR" / "Kalometra DS" / "Kalometra OR" | "Kalometra R6" / "Kalometra R20" / "Kalometra Vel" / "Kalometra Q" / "Kalometra H" / "Kalometra XT" / "Kalometra DS" / "Kalometra OR" / "Kalometra DS" / "Kalometra OR" | "Kalometra R6" / "Kalometra R20" / "Kalometra Vel" / "Kalometra Q" / "Kalometra H" / "Kalometra AF" / "Kalometra DS" / "Kalometra OR" / "Kalometra DS" / "Kalometra OR" |
| 33 | "HW-A" / "HW-B" / "HW-C" / "HW-D" / "****" | "HW-A" / "HW-B" / "HW-C" / "HW-D" / "****" | "HW-A" / "HW-B" / "HW-C" / "HW-D" / "****" | "HW-A" / "HW-B" / "HW-C" / "HW-D" / "****" |
| 34 | "Manuel" / "Automatique" / "E.S.C." | "Manual" / "Automatic" / "E.S.C." | "Manual" / "Automatico" / "E.S.C." | "Manuell" / "Automatik" / "E.S.C." |
| 35 | "Front" / "Zéro" | "Falling Edge" / "Zero Crossing" | "Frente" / "Zero" | "Steigende Flanke" / "Nulldurchgang" |
| 36 | "Ouvert" / "Défaut" / "Seuil+ C" / "Sphère" / "Fermé" / "Seuil- C" | "Open" / "Fault Q" / "Threshold+ C" / "Sphere" / "Close" / "Threshold- C" | "Aberto" / "Falha" / "Limite+ C" / "Pig/Esfera" / "Fechado" / "Limite- C" | "Öffnen" / "Fehler Q" / "Limit+ C" / "Sphere" / "Geschlossen" / "Limit- C" |
| 37 | "Vitesse" / "Débit" | "Velocity" / "Flow" | "Velocidade" / "Vazão" | "Fliessgeschwindigkeit " / "Durchfluss" |
| 40 | "Com1" / "Com2" / "Com3" / "Com4" / "Com5" / "Com6" / "Com7" / "Com8" / "Com9" / "Com10" | "Com1" / "Com2" / "Com3" / "Com4" / "Com5" / "Com6" / "Com7" / "Com8" / "Com9" / "Com10" | "Com1" / "Com2" / "Com3" / "Com4" / "Com5" / "Com6" / "Com7" / "Com8" / "Com9" / "Com10" | "Com1" / "Com2" / "Com3" / "Com4" / "Com5" / "Com6" / "Com7" / "Com8" / "Com9" / "Com10" |
| 59 | "L'appareil n'a pas répondu.\nDétection échouée !" | "The device did not answer.\nDetection failed!" | "Aparelho não responde/ Falha na identificação" | "Gerät antwortet nicht.\nSuche erfolglos!" |
| 60 | "L'appareil a été trouvé.\nDétection réussie !" | "The device did answer.\nDetection success!" | "Aparelho encontrado/ Identificação bem sucedida" | "Gerät antwortet.\nSuche erfolgreich!" |
| 66 | "Impossible de récupérer le N°JBus ! Veuillez réessayer !" | "Can not load the JBus number ! Please, retry !" | "Impossível carregar o N°JBus ! Por favor tente novamente !" | "Kann JBus -Nummer nicht laden ! Bitte, wiederholen !" |
| 67 | "Impossible d'ouvrir le fichier destination !" | "Can not open destination file !" | "Impossível abrir o arquivo de destino! " | "Kann Datei nicht öffnen !" |
| 68 | "Fichier incorrect" | "Incorrect File" | "Arquivo incorreto" | "Falsche Datei" |
| 69 | "Le fichier existe déjà, voulez vous le remplacer ?" | "The file already exists, do you want to replace it ?" | "O arquivo já existe, deseja substituir ?" | "Die Datei besteht schon, überschreiben?" |
| 70 | "Fichier source identique au fichier destination !" | "Same Source file as select file !" | "Arquivo de origem idêntico ao de destino !" | "Gleiche Quelle wie gewählte Datei !" |
| 71 | "La sauvegarde a échoué, retour au fichier par défaut !" | "Save As failed, use default file !" | "Não foi possível salvar, use arquivo défaut" | "Speichern unter Fehler, gebrauche standard Datei !" |
| 73 | "Connexion impossible ! L'appareil ne répond pas !" | "connection failure! The unit does not answer! " | "Conecção impossível ! O instrumento não responde !" | "Verbindung fehlgeschlagen! Messgerät Antwortet nicht! " |
| 74 | "Erreur" | "Error" | "Erro" | "Fehler" |
| 75 | "Version du firmware n'est pas compatible avec la version de ce logiciel.\nVeuillez utiliser le logiciel version" | "The version of the firmware is not compatible with this software.\nUse the software version" | "Versão do firmware incompatível com esta versão do software. Por favor utilize a versão" | "Die Version der Firmware ist nicht kompatibel mit dieser Software.\nGerauche die Software" |
| 76 | "Connexion échouée ! \n\nVérifiez la connexion au modem.\nVérifiez l'état du modem.\nVérifiez la chaîne d'initialisation." | "Failed connection! \n\ncheck connection to modem.\ncheck the state of modem.\ncheck initialization string. " | "Conexão falhou ! \n\nVerifique a conexão com o modem.\nVerifique o estado do modem.\nVerifique a cadeia de inicialização" | "Fehler Verbindung! \n\nprüfe Verbindung zum Modem.\nprüfe den Satus des Modems.\nprüfe Initialisierungs string. " |
| 77 | "Impossible d'ouvrir le fichier : " | "Couldn't open source file : " | "Impossível abrir o arquivo ! " | "Konnte Quelle nicht öffnen : " |
| 78 | "Impossible d'ouvrir le port Com !" | "Cannot open COM port !" | "Impossível abrir a porta COM !" | "Kann COM Port nicht öffnen !" |
| 79 | "Choisir la macro\nValider pour lancer la macro\nAnnuler pour passer à la suite sans la macro" | "choose the macro \n Validate to launch the macro\n Cancel to pass to the continuation without the macro" | "Escolher a macro\nConfirmar para lançar a macro\nCancelar para prosseguir sem a macro" | "Wähle Macro \n Macro bestätigen\n Abbrechen um ohne Macro fortzufahren" |
| 109 | "Français" / "English" / "Português" / "Deutsch" | "Français" / "English" / "Português" / "Deutsch" | "Français" / "English" / "Português" / "Deutsch" | "Français" / "English" / "Português" / "Deutsch" |
| 138 | " (Modifié(e))" | " (Changed)" | " (Modificado(a))" | " (gewechselt)" |
| 157 | "Ligne occupée !\nLa connexion a échoué !" | "Busy !\nConnection failed !" | "Linha ocupada!\n Conexão Falhou !" | "Belegt !\nVerbindung gescheitert !" |
| 163 | "Pas de Tonalité !\nLa connexion a échoué !" | "No Dialtone !\nConnection failed !" | "Sem tom de discagem !\nA conexão falhou !" | "Kein Freizeichen !\nVerbindung gescheitert !" |
| 164 | "La connexion a échoué !" | "Connection failed !" | "Conexão falhou !" | "Verbindung gescheitert !" |
| 165 | "La déconnexion a échoué !" | "Disconnection failed !" | "A desconexão falhou !" | "Trennen gescheitert !" |
| 182 | "Attention voulez vous sauvegarder la configuration ?" | "Save configuration file ?" | "Atencão! Deseja salvar a configuração ?" | "Konfiguration speichern ?" |
| 213 | "Voulez vous transférer les informations dans l'appareil ?" | "Do you want to transfer data to the device ?" | "Deseja transferir as informações para o aparelho ?" | "Daten zum Gerät übertragen ?" |
| 243 | "300" / "600" / "1200" / "2400" / "4800" / "9600" / "BlueTooth" | "300" / "600" / "1200" / "2400" / "4800" / "9600" / "BlueTooth" | "300" / "600" / "1200" / "2400" / "4800" / "9600" / "BlueTooth" | "300" / "600" / "1200" / "2400" / "4800" / "9600" / "BlueTooth" |
| 246 | "Veuillez Patienter !\r\n Connexion à l'appareil en cours !" | "Please wait!\r\n Connexion to the unit in progress! " | "Aguarde !\r\n Conexão com o instrumento em curso !" | "Bitte warten!\r\n Verbindung wird aufgebaut! " |
| 247 | "Veuillez Patienter !\r\n Conversion en cours !" | "Please wait!\r\n Conversion in progress! " | "Aguarde !\r\n Conversão em curso !" | "Bitte warten!\r\n Konvertierung in Arbeit! " |
)rows";

// Columns: id, French, English, German, Portuguese (note the order).
constexpr const char* kGermanBeforePortugueseRows = R"rows(
| 68 | "Fichier incorrect" | "Incorrect File" | "Falsche Datei" | "Arquivo incorreto" |
| 69 | "Le fichier existe déjà, voulez vous le remplacer ?" | "The file already exists, do you want to replace it ?" | "Die Datei besteht schon, überschreiben?" | "O arquivo já existe, deseja substituir ?" |
| 74 | "Erreur" | "Error" | "Fehler" | "Erro" |
| 77 | "Impossible d'ouvrir le fichier : " | "Couldn't open source file : " | "Konnte Quelle nicht öffnen : " | "Impossível abrir o arquivo ! " |
| 4 | "Attention" | "Caution" | "Vorsicht" | "Atenção" |
| 67 | "Impossible d'ouvrir le fichier destination !" | "Can not open destination file !" | "Kann Datei nicht öffnen !" | "Impossível abrir o arquivo de destino! " |
| 70 | "Fichier source identique au fichier destination !" | "Same Source file as select file !" | "Gleiche Quelle wie gewählte Datei !" | "Arquivo de origem idêntico ao de destino !" |
| 71 | "La sauvegarde a échoué, retour au fichier par défaut !" | "Save As failed, use default file !" | "Speichern unter Fehler, gebrauche standard Datei !" | "Não foi possível salvar, use arquivo défaut" |
| 182 | "Attention voulez vous sauvegarder la configuration ?" | "Save configuration file ?" | "Konfiguration speichern ?" | "Atencão! Deseja salvar a configuração ?" |
- 82: "Fichier ESC|esc", "ESC File|esc", "ESC File|esc", "Arquivo ESC|esc"
- 83: "Fichier Paramétrage|eta", "Setting File|eta", "Setting File|eta", "Arquivo Parametrização|eta"
- 84: "Fichier Logger|log", "Logger File|log", "Logger File|log", "Arquivo Logger|log"
- 85: "Fichier Mesure|mes", "Measurement File|mes", "Messung File|mes", "Arquivo Medição|mes"
- 88: "Fichier Réglage Sorties courant|sa", "Analog Output Settings File|sa", "Setting des analogen Ausgangs Datei|sa", "Arquivo Ajuste das correntes de saída|sa"
- 89: "Fichier Réglage Spécial|rsp", "Special Settings File|rsp", "Spezial Settings Datei|rsp", "Arquivo Ajustes Especiais|rsp"
- 101: "Imprimé le ", "Printed at ", "Gedruckt am", "Impresso em: "
)rows";

std::string unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == 'r')) {
      out += s[i + 1] == 'n' ? '\n' : '\r';
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The quoted strings of a piece of text, in order.
Items quoted_strings(const std::string& text) {
  Items out;
  std::size_t pos = 0;
  while ((pos = text.find('"', pos)) != std::string::npos) {
    const std::size_t end = text.find('"', pos + 1);
    if (end == std::string::npos) break;
    out.push_back(unescape(text.substr(pos + 1, end - pos - 1)));
    pos = end + 1;
  }
  return out;
}

std::vector<std::string> lines_of(const char* block) {
  std::vector<std::string> out;
  std::istringstream in(block);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

int leading_id(const std::string& line) { return std::stoi(line.substr(line.find_first_of("0123456789"))); }

// "| id | col | col |..." (columns split at bars outside quotes, items are the
// quoted strings of a column) or "- id: "a", "b", ..." (one string a column).
std::map<int, std::vector<Items>> parse_rows(const char* block) {
  std::map<int, std::vector<Items>> rows;
  for (const std::string& line : lines_of(block)) {
    std::vector<Items> columns;
    if (line[0] == '-') {
      for (const std::string& s : quoted_strings(line.substr(line.find(':')))) columns.push_back({s});
    } else {
      std::string cell;
      bool in_quote = false;
      int bars = 0;
      for (char c : line) {
        if (c == '"') in_quote = !in_quote;
        if (c == '|' && !in_quote) {
          if (++bars > 2) columns.push_back(quoted_strings(cell));
          cell.clear();
        } else {
          cell += c;
        }
      }
    }
    rows[leading_id(line)] = columns;
  }
  return rows;
}

struct EnglishFrench {
  Items english;
  std::string french;  // single texts only
  bool is_list = false;
  std::size_t count = 0;
};

std::map<int, EnglishFrench> parse_english_french() {
  std::map<int, EnglishFrench> rows;
  for (const std::string& line : lines_of(kEnglishFrenchList)) {
    EnglishFrench row;
    const std::string rest = line.substr(line.find(':') + 2);
    if (rest.rfind("list (", 0) == 0) {
      row.is_list = true;
      row.count = std::stoul(rest.substr(6));
      row.english = quoted_strings(rest);
    } else {
      const Items q = quoted_strings(rest);
      row.english = {q.at(0)};
      row.french = q.size() > 1 ? q[1] : q[0];
    }
    rows[leading_id(line)] = row;
  }
  return rows;
}

const std::set<int>& unused_ids() {
  static const std::set<int> ids = {38, 49, 64, 72, 116, 119, 233};
  return ids;
}

std::vector<int> used_ids() {
  std::vector<int> ids;
  for (int id = 1; id <= 247; ++id) {
    if (!unused_ids().count(id)) ids.push_back(id);
  }
  return ids;
}

TEST(TextTableContent, HoldsExactlyTheUsedIdsOnceEach) {
  std::vector<int> stored = text_table_ids();
  std::vector<int> sorted = stored;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "an id twice";
  EXPECT_EQ(sorted, used_ids());
  EXPECT_EQ(stored.size(), 240u);

  for (int id = -2; id <= 260; ++id) {
    const bool used = id >= 1 && id <= 247 && !unused_ids().count(id);
    for (int language = 1; language <= 4; ++language) {
      EXPECT_EQ(!text_list(id, language).empty(), used) << "id " << id << " language " << language;
    }
  }
}

TEST(TextTableContent, EveryLanguageHasTheSameNumberOfItems) {
  for (int id : used_ids()) {
    const std::size_t french = text_list(id, kFrench).size();
    for (int language = 2; language <= 4; ++language) {
      EXPECT_EQ(text_list(id, language).size(), french) << "id " << id << " language " << language;
    }
  }
}

TEST(TextTableContent, FourLanguageRowsMatchToTheCharacter) {
  const auto rows = parse_rows(kFourLanguageRows);
  ASSERT_EQ(rows.size(), 48u);
  for (const auto& [id, columns] : rows) {
    ASSERT_EQ(columns.size(), 4u) << "reference row " << id;
    EXPECT_EQ(text_list(id, kFrench), columns[0]) << "id " << id << " French";
    EXPECT_EQ(text_list(id, kEnglish), columns[1]) << "id " << id << " English";
    EXPECT_EQ(text_list(id, kPortuguese), columns[2]) << "id " << id << " Portuguese";
    EXPECT_EQ(text_list(id, kGerman), columns[3]) << "id " << id << " German";
  }
  const auto other = parse_rows(kGermanBeforePortugueseRows);
  ASSERT_EQ(other.size(), 16u);
  for (const auto& [id, columns] : other) {
    ASSERT_EQ(columns.size(), 4u) << "reference row " << id;
    EXPECT_EQ(text_list(id, kFrench), columns[0]) << "id " << id << " French";
    EXPECT_EQ(text_list(id, kEnglish), columns[1]) << "id " << id << " English";
    EXPECT_EQ(text_list(id, kGerman), columns[2]) << "id " << id << " German";
    EXPECT_EQ(text_list(id, kPortuguese), columns[3]) << "id " << id << " Portuguese";
  }
}

TEST(TextTableContent, EnglishAndFrenchMatchTheTextList) {
  const auto rows = parse_english_french();
  ASSERT_EQ(rows.size(), 239u);  // every used id but the derived short names (32)
  for (const auto& [id, row] : rows) {
    if (row.is_list) {
      EXPECT_EQ(row.english.size(), row.count) << "reference list " << id;
      EXPECT_EQ(text_list(id, kEnglish), row.english) << "id " << id;
    } else {
      EXPECT_EQ(text_list(id, kEnglish), row.english) << "id " << id;
      EXPECT_EQ(text_list(id, kFrench), Items{row.french}) << "id " << id;
    }
  }
}

TEST(TextTableContent, BlanksAndLineBreaksThatAreEasyToLose) {
  EXPECT_EQ(text_of(73, kEnglish), "connection failure! The unit does not answer! ");
  EXPECT_EQ(text_of(246, kEnglish), "Please wait!\r\n Connexion to the unit in progress! ");
  EXPECT_EQ(text_of(37, 0, kGerman), "Fliessgeschwindigkeit ");
  EXPECT_EQ(text_of(24, 3, kEnglish), "Tx D.  Rx D.");
  EXPECT_EQ(text_of(203, kFrench), "Temps restant ");
  EXPECT_EQ(text_of(102, kFrench), "Initialisation : ");
  EXPECT_EQ(text_of(154, kFrench), "Numérotation : ");
  EXPECT_EQ(text_of(172, kFrench), "Raccrochage : ");
  EXPECT_EQ(text_of(138, kEnglish), " (Changed)");
  EXPECT_EQ(text_of(76, kEnglish),
            "Failed connection! \n\ncheck connection to modem.\ncheck the state of modem.\n"
            "check initialization string. ");
  // The two "please wait" texts break the line with CR LF in every language,
  // and no other text carries a bare CR.
  for (int language = 1; language <= 4; ++language) {
    for (int id : used_ids()) {
      for (const std::string& s : text_list(id, language)) {
        const bool crlf = id == 246 || id == 247;
        EXPECT_EQ(s.find("\r\n") != std::string::npos, crlf) << id << "/" << language;
        for (std::size_t i = 0; i < s.size(); ++i) {
          if (s[i] == '\r') {
            EXPECT_TRUE(i + 1 < s.size() && s[i + 1] == '\n') << id;
          }
          // Only line breaks among the control characters.
          const auto c = static_cast<unsigned char>(s[i]);
          EXPECT_FALSE(c < 0x20 && c != '\n' && c != '\r') << id << "/" << language;
        }
      }
    }
  }
}

TEST(TextTableContent, EveryTextFitsTheInstrumentCodePage) {
  for (int id : used_ids()) {
    for (int language = 1; language <= 4; ++language) {
      for (const std::string& s : text_list(id, language)) {
        EXPECT_EQ(utf8_from_cp1252(cp1252_from_utf8(s)), s) << id << "/" << language << " " << s;
      }
    }
  }
}

TEST(TextTableContent, NoAndYesListsKeepTheirStoredOrder) {
  // 25 stores 0 = no, 27 stores 0 = yes: the same two words, swapped.
  const Items no_first[] = {{"Non", "Oui"}, {"No", "Yes"}, {"Não", "Sim"}, {"Nein", "Ja"}};
  for (int language = 1; language <= 4; ++language) {
    const Items& expected = no_first[language - 1];
    EXPECT_EQ(text_list(25, language), expected);
    EXPECT_EQ(text_list(27, language), (Items{expected[1], expected[0]}));
  }
}

TEST(TextTableContent, StatusListStartsBlank) {
  for (int language = 1; language <= 4; ++language) {
    const Items status = text_list(17, language);
    ASSERT_EQ(status.size(), 3u);
    EXPECT_EQ(status[0], "");
    EXPECT_NE(status[1], "");
    EXPECT_NE(status[2], "");
  }
}

TEST(TextTableContent, FileKindsCarryTheSameExtensionInEveryLanguage) {
  const std::map<int, std::string> extension = {{82, "esc"}, {83, "eta"}, {84, "log"}, {85, "mes"},
                                                {86, "dev"}, {88, "sa"},  {89, "rsp"}};
  for (const auto& [id, ext] : extension) {
    for (int language = 1; language <= 4; ++language) {
      const std::string s = text_of(id, language);
      const std::size_t bar = s.find('|');
      ASSERT_NE(bar, std::string::npos) << id << "/" << language;
      EXPECT_GT(bar, 0u) << "description missing: " << id << "/" << language;
      EXPECT_EQ(s.substr(bar + 1), ext) << id << "/" << language;
    }
  }
  // The export names are followed by their own pattern: a bar would cut the filter.
  for (int id : {87, 90}) {
    for (int language = 1; language <= 4; ++language) {
      EXPECT_EQ(text_of(id, language).find('|'), std::string::npos) << id << "/" << language;
    }
  }
}

TEST(TextTableContent, MenuTextsHaveOneAcceleratorInEveryLanguage) {
  int menus = 0;
  for (int id = 113; id <= 148; ++id) {
    if (text_of(id, kEnglish).find('&') == std::string::npos) continue;
    ++menus;
    for (int language = 1; language <= 4; ++language) {
      const std::string s = text_of(id, language);
      EXPECT_EQ(std::count(s.begin(), s.end(), '&'), 1) << id << "/" << language << " " << s;
      EXPECT_NE(s.back(), '&') << id << "/" << language;
    }
  }
  EXPECT_EQ(menus, 22);
  EXPECT_EQ(text_of(125, kGerman), "&Datei");
  EXPECT_EQ(text_of(140, kGerman), "&Öffnen");
  EXPECT_EQ(text_of(135, kGerman), "&Neu");
}

TEST(TextTableContent, ShortModelNamesDropTheFamilyWordAlike) {
  const Items models = text_list(31, kFrench);
  ASSERT_EQ(models.size(), 10u);
  Items expected;
  for (const std::string& m : models) {
    ASSERT_EQ(m.rfind("Kalometra ", 0), 0u) << m;
    expected.push_back(m.substr(10));
  }
  for (int language = 1; language <= 4; ++language) EXPECT_EQ(text_list(32, language), expected);
}

TEST(TextTableContent, UnitsAndTechnicalTokensAreNotTranslated) {
  for (int id : {6, 9, 10, 21, 33, 39, 40, 52, 53, 54, 56, 103, 104, 112, 130, 134, 142,
                 146, 167, 168, 169, 186, 208, 210, 211, 237, 243}) {
    const Items french = text_list(id, kFrench);
    for (int language = 2; language <= 4; ++language) {
      EXPECT_EQ(text_list(id, language), french) << "id " << id << " language " << language;
    }
  }
  for (int id = 222; id <= 231; ++id) {
    for (int language = 1; language <= 4; ++language) {
      EXPECT_EQ(text_of(id, language).rfind("Kalometra ", 0), 0u) << id << "/" << language;
    }
  }
}

TEST(TextTableLookup, LanguageAboveFourGivesOneEmptyString) {
  TextTable table(kEnglish);
  for (int id : {1, 23, 0, 248, 38}) {
    EXPECT_EQ(table.lookup(id, 5), Items{""}) << id;
    EXPECT_EQ(text_list(id, 5), Items{""}) << id;
    EXPECT_EQ(text_list(id, INT_MAX), Items{""}) << id;
  }
  table.set_language(5);
  EXPECT_EQ(table.text(74), "");
  EXPECT_EQ(table.text(23, 0), "");
  EXPECT_EQ(text_of(74, 5), "");
}

TEST(TextTableLookup, UnknownIdsAndLanguagesBelowOneGiveAnEmptyList) {
  TextTable table(kEnglish);
  for (int id : {0, 248, 38, 49, 64, 72, 116, 119, 233, -1, INT_MIN, INT_MAX, 1000}) {
    EXPECT_TRUE(table.lookup(id, kEnglish).empty()) << id;
    EXPECT_EQ(table.text(id), "") << id;
    EXPECT_EQ(table.text(id, 0), "") << id;
  }
  // A damaged language setting shows nothing rather than reading past the table.
  for (int language : {0, -1, INT_MIN}) {
    EXPECT_TRUE(text_list(74, language).empty()) << language;
    EXPECT_EQ(text_of(74, language), "") << language;
  }
}

TEST(TextTableLookup, IndexesPastTheEndGiveEmptyText) {
  TextTable table(kEnglish);
  EXPECT_EQ(table.text(23, 13), "Asbestos");
  EXPECT_EQ(table.text(23, 14), "");
  EXPECT_EQ(table.text(23, -1), "");
  EXPECT_EQ(table.text(23, INT_MAX), "");
  EXPECT_EQ(table.text(23), "Other");
  EXPECT_EQ(text_of(23, 13, kEnglish), "Asbestos");
  EXPECT_EQ(text_of(23, 14, kEnglish), "");
  EXPECT_EQ(text_of(74, 1, kEnglish), "");
}

TEST(TextTableLookup, ObjectFollowsItsLanguageAndRefillsItsResult) {
  TextTable table;
  EXPECT_EQ(table.language(), kFrench);
  EXPECT_EQ(TextTable::language_count(), 4);
  EXPECT_EQ(table.text(74), "Erreur");
  table.set_language(kGerman);
  EXPECT_EQ(table.text(74), "Fehler");
  EXPECT_EQ(table.text(25, 1), "Ja");
  table.set_language(kPortuguese);
  EXPECT_EQ(table.text(74), "Erro");

  // The result array is emptied on every lookup: nothing stale survives.
  const Items& result = table.lookup(23, kEnglish);
  EXPECT_EQ(result.size(), 14u);
  table.lookup(38, kEnglish);
  EXPECT_TRUE(result.empty());
  table.lookup(74, 9);
  EXPECT_EQ(result, Items{""});
  table.lookup(19, kPortuguese);
  EXPECT_EQ(result, (Items{"Normal", "Teste"}));
}

}  // namespace
}  // namespace orvadw
