#pragma once

#include <string_view>

namespace busmason::translation {

/// Network editor: the sync enabled check box.
inline constexpr std::string_view kAbilitazioneSync = "<ABILITAZIONE SYNC>";
/// Node configuration: the new address holds another node.
inline constexpr std::string_view kAddressPresentYet = "<ADDRESS PRESENT YET>";
/// EDS library pop-up: add the file as a node.
inline constexpr std::string_view kAggiungiNodo = "<AGGIUNGI NODO>";
/// Node configuration: add a parameter value.
inline constexpr std::string_view kAggiungiPar = "<AGGIUNGI PAR>";
/// Node configuration: set the variable name.
inline constexpr std::string_view kAggiungiVar = "<AGGIUNGI VAR>";
/// Help menus and pop-up items.
inline constexpr std::string_view kAiuto = "<AIUTO>";
/// Folder chooser: the cancel button.
inline constexpr std::string_view kAnnulla = "<ANNULLA>";
/// Start window: the create/open button in opening mode.
inline constexpr std::string_view kApriProgetto = "<APRI PROGETTO>";
/// Network editor status bar while the node configuration closes.
inline constexpr std::string_view kAttendere = "<ATTENDERE>";
/// Caption of warning message boxes.
inline constexpr std::string_view kAttenzione = "<ATTENZIONE>";
/// Network editor: what opening the project left out or changed; the list follows.
inline constexpr std::string_view kAvvisiCaricamento = "<AVVISI CARICAMENTO>";
/// Network editor: a node was added from an EDS file with problems; the list follows.
inline constexpr std::string_view kAvvisiEds = "<AVVISI EDS>";
/// Network editor: the baud rate drop-down.
inline constexpr std::string_view kBaudrate = "<BAUDRATE>";
/// Network editor: the CAN channel drop-down.
inline constexpr std::string_view kCanaleCan = "<CANALE CAN>";
/// EDS library pop-up: delete the EDS file.
inline constexpr std::string_view kCancellaEds = "<CANCELLA EDS>";
/// Network list pop-up: delete the node.
inline constexpr std::string_view kCancellaNodo = "<CANCELLA NODO>";
/// Pop-up items that delete a value, a variable or a terminal.
inline constexpr std::string_view kCancella = "<CANCELLA>";
/// Question before an EDS file is deleted.
inline constexpr std::string_view kCancellareEdsQuery = "<CANCELLARE EDS?>";
/// Question before a node is deleted.
inline constexpr std::string_view kCancellareNodoQuery = "<CANCELLARE NODO?>";
/// Question before a terminal is deleted; shown followed by "?".
inline constexpr std::string_view kCancellareTerm = "<CANCELLARE TERM>";
/// Dialog button that closes the window.
inline constexpr std::string_view kChiudi = "<CHIUDI>";
/// Network editor: caption of the network page.
inline constexpr std::string_view kConfiguraCan = "<CONFIGURA CAN>";
/// Pop-up items that configure a coupler or a terminal.
inline constexpr std::string_view kConfiguraCoupler = "<CONFIGURA COUPLER>";
/// Network list pop-up: configure the node; terminal I/O settings: confirm.
inline constexpr std::string_view kConfigura = "<CONFIGURA>";
/// Transfer status: the connection is established.
inline constexpr std::string_view kConnessioneEffettuta = "<CONNESSIONE EFFETTUTA>";
/// Transfer status: the connection failed.
inline constexpr std::string_view kConnessioneFallita = "<CONNESSIONE FALLITA>";
/// Transfer status: connecting.
inline constexpr std::string_view kConnessioneInCorso = "<CONNESSIONE IN CORSO>";
/// Transfer window: the connect button.
inline constexpr std::string_view kConnessione = "<CONNESSIONE>";
/// Network editor: the build command.
inline constexpr std::string_view kCostruisciFileConfigurazione =
    "<COSTRUISCI FILE CONFIGURAZIONE>";
/// Network editor: the build wrote nothing; the reasons follow.
inline constexpr std::string_view kCostruzioneFallita = "<COSTRUZIONE FALLITA>";
/// Start window: the create/open button in creating mode.
inline constexpr std::string_view kCreateProject = "<CREATE PROJECT>";
/// Node configuration: the detail list of the selected entry.
inline constexpr std::string_view kDettagliOggetto = "<DETTAGLI OGGETTO>";
/// Caption of the folder chooser opened from the options.
inline constexpr std::string_view kDirectoryList = "<DIRECTORY LIST>";
/// Transfer window: the project folder label.
inline constexpr std::string_view kDirectoryProgetto = "<DIRECTORY PROGETTO>";
/// Options: the installation folder label.
inline constexpr std::string_view kDirectoryTemplate = "<DIRECTORY TEMPLATE>";
/// Folder chooser: the folder label.
inline constexpr std::string_view kDirectory = "<DIRECTORY>";
/// Caption of the transfer window.
inline constexpr std::string_view kDownloadCan = "<DOWNLOAD CAN>";
/// Question when the EDS checker reports findings.
inline constexpr std::string_view kEdsNonCorretto = "<EDS NON CORRETTO>";
/// Message when the EDS folder holds no EDS file.
inline constexpr std::string_view kEdsNonTrovati = "<EDS NON TROVATI>";
/// Options: the EDS folder label and the EDS page.
inline constexpr std::string_view kEds = "<EDS>";
/// Options: remove an EDS file.
inline constexpr std::string_view kEliminaEds = "<ELIMINA EDS>";
/// Message when the options cannot save the settings.
inline constexpr std::string_view kError1 = "<ERROR 1>";
/// Transfer status: a file was not sent.
inline constexpr std::string_view kErroreComunicazione = "<ERRORE COMUNICAZIONE>";
/// Caption of error message boxes.
inline constexpr std::string_view kErrore = "<ERRORE>";
/// File menus: exit; terminal I/O settings: cancel.
inline constexpr std::string_view kExit = "<EXIT>";
/// Message when a controller file cannot be created.
inline constexpr std::string_view kFileNonAperto = "<FILE NON APERTO>";
/// Message after the build.
inline constexpr std::string_view kFileVariabiliCreato = "<FILE VARIABILI CREATO>";
/// The File menus.
inline constexpr std::string_view kFile = "<FILE>";
/// Import an EDS file into the library.
inline constexpr std::string_view kImportaEds = "<IMPORTA EDS>";
/// Transfer window: the address typed is not four numbers 0 to 255 separated by dots.
inline constexpr std::string_view kIndirizzoIpNonValido = "<INDIRIZZO IP NON VALIDO>";
/// Transfer window: the address group.
inline constexpr std::string_view kIndirizzoIp = "<INDIRIZZO IP>";
/// Node configuration: the node address spin box.
inline constexpr std::string_view kIndirizzoNodo = "<INDIRIZZO NODO>";
/// Transfer window: question after the files older than the project were named.
inline constexpr std::string_view kInviareComunque = "<INVIARE COMUNQUE?>";
/// Caption of the terminal I/O settings for analogue terminals.
inline constexpr std::string_view kIoAnalogici = "<IO ANALOGICI>";
/// Caption of the terminal I/O settings for digital terminals.
inline constexpr std::string_view kIoDigitali = "<IO DIGITALI>";
/// Caption of the saved and built messages.
inline constexpr std::string_view kKovaBusmason = "<KOVA BUSMASON>";
/// Options: the language page and group.
inline constexpr std::string_view kLanguage = "<LANGUAGE>";
/// Network editor: caption of the parameter page.
inline constexpr std::string_view kListaParametri = "<LISTA PARAMETRI>";
/// Network editor: caption of the variable page.
inline constexpr std::string_view kListaVariabili = "<LISTA VARIABILI>";
/// Network editor: the node-guarding toggle bit check box.
inline constexpr std::string_view kNgToggleBit = "<NG TOGGLE BIT>";
/// Top entry of the node trees.
inline constexpr std::string_view kNodi = "<NODI>";
/// Network editor: no node could be created from the EDS file; the reason follows.
inline constexpr std::string_view kNodoNonAggiunto = "<NODO NON AGGIUNTO>";
/// Node configuration: the variable name label.
inline constexpr std::string_view kNomeVariabile = "<NOME VARIABILE>";
/// Transfer status: not connected.
inline constexpr std::string_view kNonConnesso = "<NON CONNESSO>";
/// A window that is not part of the program yet was asked for.
inline constexpr std::string_view kNonDisponibile = "<NON DISPONIBILE>";
/// Message when a folder setting is missing.
inline constexpr std::string_view kNotRootDir = "<NOT ROOT DIR>";
/// Start window: the new-project button (icon only), its accessible name and tooltip.
inline constexpr std::string_view kNuovoProgetto = "<NUOVO PROGETTO>";
/// Message when the coupler lacks an object a terminal needs.
inline constexpr std::string_view kOggettoNonesiste = "<OGGETTO NONESISTE>";
/// Tools menu item and caption of the options window.
inline constexpr std::string_view kOpzioni = "<OPZIONI>";
/// Network editor: arrange the nodes.
inline constexpr std::string_view kOrdina = "<ORDINA>";
/// Network editor: the network parameter group.
inline constexpr std::string_view kParametriRete = "<PARAMETRI RETE>";
/// Message when the coupler has no free PDO left.
inline constexpr std::string_view kPdoTerminati = "<PDO TERMINATI>";
/// Question when the new project already exists.
inline constexpr std::string_view kProgettoEsiste = "<PROGETTO ESISTE>";
/// Network editor: the project file could not be loaded; the reason follows.
inline constexpr std::string_view kProgettoNonAperto = "<PROGETTO NON APERTO>";
/// Network editor: the save failed; the reason follows.
inline constexpr std::string_view kProgettoNonSalvato = "<PROGETTO NON SALVATO>";
/// Message after the save button.
inline constexpr std::string_view kProgettoSalvato = "<PROGETTO SALVATO>";
/// Transfer status: both files were sent.
inline constexpr std::string_view kProgettoTrasferito = "<PROGETTO TRASFERITO>";
/// Start window: the folder label.
inline constexpr std::string_view kProjectFolder = "<PROJECT FOLDER>";
/// Start window: the name label (asked with a TAB after it).
inline constexpr std::string_view kProjectTitle = "<PROJECT TITLE>";
/// Message after the language or the EDS folder was changed.
inline constexpr std::string_view kRestart = "<RESTART>";
/// Network editor: every node address is in use.
inline constexpr std::string_view kReteCompleta = "<RETE COMPLETA>";
/// Options: caption of the folders page.
inline constexpr std::string_view kRootDir = "<ROOT DIR>";
/// Save buttons and the save button hint.
inline constexpr std::string_view kSalva = "<SALVA>";
/// Network editor: the save command.
inline constexpr std::string_view kSalvareProgetto = "<SALVARE PROGETTO>";
/// Question when a changed project is closed.
inline constexpr std::string_view kSalvareProgettoQuery = "<SALVARE PROGETTO?>";
/// Network editor: the transfer command.
inline constexpr std::string_view kScaricaFileConfigurazione = "<SCARICA FILE CONFIGURAZIONE>";
/// Start window: the open-project button (icon only), its accessible name and tooltip.
inline constexpr std::string_view kScegliProgetto = "<SCEGLI PROGETTO>";
/// Start window: the workspace button; caption of the folder chooser.
inline constexpr std::string_view kSetWorkspace = "<SET WORKSPACE>";
/// Node configuration: move the selected start-up write down.
inline constexpr std::string_view kSpostaGiu = "<SPOSTA GIU>";
/// Node configuration: move the selected start-up write up.
inline constexpr std::string_view kSpostaSu = "<SPOSTA SU>";
/// Transfer window: the connection-state group.
inline constexpr std::string_view kStatoConnessione = "<STATO CONNESSIONE>";
/// The Tools menus.
inline constexpr std::string_view kStrumenti = "<STRUMENTI>";
/// Network editor: the cycle time field.
inline constexpr std::string_view kTempoCiclo = "<TEMPO CICLO>";
/// Network editor: the guard time field.
inline constexpr std::string_view kTempoGuardia = "<TEMPO GUARDIA>";
/// Network editor: the life time field.
inline constexpr std::string_view kTempoVita = "<TEMPO VITA>";
/// Coupler configuration: caption of the terminal page.
inline constexpr std::string_view kTerminal = "<TERMINAL>";
/// Coupler configuration: the tree of terminal types.
inline constexpr std::string_view kTipiTerminale = "<TIPI TERMINALE>";
/// Transfer status: the I/O map file arrived and the network file did not.
inline constexpr std::string_view kTrasferimentoIncompleto = "<TRASFERIMENTO INCOMPLETO>";
/// Transfer status: sending the files.
inline constexpr std::string_view kTrasferimentoProgetto = "<TRASFERIMENTO PROGETTO>";
/// Help menu: open the tutorial.
inline constexpr std::string_view kTutorial = "<TUTORIAL>";
/// Folder chooser: the drive or volume selector.
inline constexpr std::string_view kUnita = "<UNITA>";
/// Message when a parameter value is missing.
inline constexpr std::string_view kValoreNonConsentito = "<VALORE NON CONSENTITO>";
/// Node configuration: the parameter value label.
inline constexpr std::string_view kValoreParametro = "<VALORE PARAMETRO>";
/// Network editor: the EDS checker could not run or left no verdict; the reason follows.
inline constexpr std::string_view kVerificaEdsFallita = "<VERIFICA EDS FALLITA>";
/// Network editor Tools item: the network check window.
inline constexpr std::string_view kVerificaRete = "<VERIFICA RETE>";
/// Start window: hint of the create/open button.
inline constexpr std::string_view kZornerr = "<ZORNERR>";

/// Every key the program looks up, as the table file holds it.
inline constexpr std::string_view kKeys[] = {
    kAbilitazioneSync,
    kAddressPresentYet,
    kAggiungiNodo,
    kAggiungiPar,
    kAggiungiVar,
    kAiuto,
    kAnnulla,
    kApriProgetto,
    kAttendere,
    kAttenzione,
    kAvvisiCaricamento,
    kAvvisiEds,
    kBaudrate,
    kCanaleCan,
    kCancellaEds,
    kCancellaNodo,
    kCancella,
    kCancellareEdsQuery,
    kCancellareNodoQuery,
    kCancellareTerm,
    kChiudi,
    kConfiguraCan,
    kConfiguraCoupler,
    kConfigura,
    kConnessioneEffettuta,
    kConnessioneFallita,
    kConnessioneInCorso,
    kConnessione,
    kCostruisciFileConfigurazione,
    kCostruzioneFallita,
    kCreateProject,
    kDettagliOggetto,
    kDirectoryList,
    kDirectoryProgetto,
    kDirectoryTemplate,
    kDirectory,
    kDownloadCan,
    kEdsNonCorretto,
    kEdsNonTrovati,
    kEds,
    kEliminaEds,
    kError1,
    kErroreComunicazione,
    kErrore,
    kExit,
    kFileNonAperto,
    kFileVariabiliCreato,
    kFile,
    kImportaEds,
    kIndirizzoIpNonValido,
    kIndirizzoIp,
    kIndirizzoNodo,
    kInviareComunque,
    kIoAnalogici,
    kIoDigitali,
    kKovaBusmason,
    kLanguage,
    kListaParametri,
    kListaVariabili,
    kNgToggleBit,
    kNodi,
    kNodoNonAggiunto,
    kNomeVariabile,
    kNonConnesso,
    kNonDisponibile,
    kNotRootDir,
    kNuovoProgetto,
    kOggettoNonesiste,
    kOpzioni,
    kOrdina,
    kParametriRete,
    kPdoTerminati,
    kProgettoEsiste,
    kProgettoNonAperto,
    kProgettoNonSalvato,
    kProgettoSalvato,
    kProgettoTrasferito,
    kProjectFolder,
    kProjectTitle,
    kRestart,
    kReteCompleta,
    kRootDir,
    kSalva,
    kSalvareProgetto,
    kSalvareProgettoQuery,
    kScaricaFileConfigurazione,
    kScegliProgetto,
    kSetWorkspace,
    kSpostaGiu,
    kSpostaSu,
    kStatoConnessione,
    kStrumenti,
    kTempoCiclo,
    kTempoGuardia,
    kTempoVita,
    kTerminal,
    kTipiTerminale,
    kTrasferimentoIncompleto,
    kTrasferimentoProgetto,
    kTutorial,
    kUnita,
    kValoreNonConsentito,
    kValoreParametro,
    kVerificaEdsFallita,
    kVerificaRete,
    kZornerr,
};

/// Requests with characters after the closing bracket, as the windows ask for them; each
/// finds the entry of its key because a key matches every request it is a prefix of.
inline constexpr std::string_view kAbilitazioneSyncRequest = "<ABILITAZIONE SYNC>>";
inline constexpr std::string_view kProjectTitleRequest = "<PROJECT TITLE>\t";

} // namespace busmason::translation
