-- Veltrane application database: every table of the delivered Veltrane.mdb.
-- The build runs this script once on a new keyed database and then loads the seed rows
-- (standard.tsv into Standard, version.tsv into Version). Nothing else creates tables.
--
-- Conventions:
--   * Every column is NOT NULL with a default, so a row added with only its key fields reads
--     back without nulls everywhere (text '' / number 0 unless a better starter value is noted).
--   * Text compares without regard to case, as users expect of names and ids; control numbers are
--     text so that "0001" stays "0001".
--   * Flags are 0 or 1. Separators are character codes (0..255).
--   * Date/time values of schedules (Transactions.Time, Internet.Time) are OLE dates: days since
--     1899-12-30 with the time of day as the fraction; 0 is midnight.
--   * Row ids give folder lists and selections a stable handle; History and Exchange number
--     their rows by "Index".

-- Trading partners. ISA13 and GS06 hold the last control numbers used; '0' lets the envelope
-- builders start at 1 for a partner that has never sent anything.
CREATE TABLE "Partner" (
    "Id"              INTEGER PRIMARY KEY,
    "Partner"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Segment"         INTEGER NOT NULL DEFAULT 0,
    "element"         INTEGER NOT NULL DEFAULT 0,
    "Sub"             INTEGER NOT NULL DEFAULT 0,
    "ISA01"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA02"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA03"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA04"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA05"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA06"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA07"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA08"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA11"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA12"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA13"           TEXT    NOT NULL DEFAULT '0' COLLATE NOCASE,
    "ISA14"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA15"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISAVersion"      TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISAVersionIndex" INTEGER NOT NULL DEFAULT 0,
    "GS02"            TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS03"            TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS06"            TEXT    NOT NULL DEFAULT '0' COLLATE NOCASE,
    "GS07"            TEXT    NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "Partner_Name" ON "Partner" ("Partner");
CREATE INDEX "Partner_Ids"  ON "Partner" ("ISA06", "ISA08");

-- One row per partner transaction set, with its Integrator settings. ControlNumber starts at
-- '0' so the first outbound set can take a number; Plus and Minus are the texts of three-digit
-- boxes and must read as day counts.
CREATE TABLE "Transactions" (
    "Id"              INTEGER PRIMARY KEY,
    "Partner"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Transaction"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Version"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Direction"       TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Description"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Group"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Versionoverride" TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ControlNumber"   TEXT    NOT NULL DEFAULT '0' COLLATE NOCASE,
    "Acknowledge"     INTEGER NOT NULL DEFAULT 0,
    "ActiveX"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "CheckTime"       INTEGER NOT NULL DEFAULT 0,
    "Time"            REAL    NOT NULL DEFAULT 0,
    "CheckInterval"   INTEGER NOT NULL DEFAULT 0,
    "Interval"        INTEGER NOT NULL DEFAULT 0,
    "Mon"             INTEGER NOT NULL DEFAULT 0,
    "Tue"             INTEGER NOT NULL DEFAULT 0,
    "Wed"             INTEGER NOT NULL DEFAULT 0,
    "Thu"             INTEGER NOT NULL DEFAULT 0,
    "Fri"             INTEGER NOT NULL DEFAULT 0,
    "Sat"             INTEGER NOT NULL DEFAULT 0,
    "Sun"             INTEGER NOT NULL DEFAULT 0,
    "Ack"             INTEGER NOT NULL DEFAULT 0,
    "CustomActiveX"   INTEGER NOT NULL DEFAULT 0,
    "print"           INTEGER NOT NULL DEFAULT 0,
    "ExportFormat"    INTEGER NOT NULL DEFAULT 0,
    "ExecuteSQL"      INTEGER NOT NULL DEFAULT 0,
    "DataSourceName"  TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Driver"          TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Server"          TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Database"        TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "UserId"          TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Password"        TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "SQL"             TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Plus"            TEXT    NOT NULL DEFAULT '0' COLLATE NOCASE,
    "Minus"           TEXT    NOT NULL DEFAULT '0' COLLATE NOCASE,
    "StartDate"       INTEGER NOT NULL DEFAULT 0,
    "EndDate"         INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX "Transactions_Key" ON "Transactions" ("Partner", "Transaction", "Version", "Direction");

-- Map segments. A new segment sits at the top loop level and may occur once until the designer
-- says otherwise (the designer itself turns a typed 0 into 1 for both counts).
CREATE TABLE "Segment" (
    "Id"              INTEGER PRIMARY KEY,
    "Partner"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Version"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Transaction"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Direction"       TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Segment"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "SegmentIndex"    INTEGER NOT NULL DEFAULT 0,
    "Node"            INTEGER NOT NULL DEFAULT 1,
    "SegmentName"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "SegmentUsage"    TEXT    NOT NULL DEFAULT 'O' COLLATE NOCASE,
    "Level"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Looping"         INTEGER NOT NULL DEFAULT 0,
    "MaxUsageLoop"    INTEGER NOT NULL DEFAULT 1,
    "Placeholders"    INTEGER NOT NULL DEFAULT 1,
    "Exclude"         INTEGER NOT NULL DEFAULT 0,
    "Expanded"        INTEGER NOT NULL DEFAULT 0,
    "SegmentScript"   TEXT    NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "Segment_Key" ON "Segment" ("Partner", "Version", "Transaction", "Direction", "SegmentIndex");

-- Map elements. Length bounds start at 1, the value the designer stores for anything unusable;
-- a new element is an optional alphanumeric one, which the record layout can always describe.
CREATE TABLE "Element" (
    "Id"              INTEGER PRIMARY KEY,
    "Partner"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Version"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Transaction"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Direction"       TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Segment"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "SegmentIndex"    INTEGER NOT NULL DEFAULT 0,
    "ElementIndex"    INTEGER NOT NULL DEFAULT 0,
    "Element"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ElementName"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ElementUsage"    TEXT    NOT NULL DEFAULT 'O' COLLATE NOCASE,
    "Type"            TEXT    NOT NULL DEFAULT 'AN' COLLATE NOCASE,
    "Minimum"         INTEGER NOT NULL DEFAULT 1,
    "Maximum"         INTEGER NOT NULL DEFAULT 1,
    "Reference"       INTEGER NOT NULL DEFAULT 0,
    "Exclude"         INTEGER NOT NULL DEFAULT 0,
    "ElementScript"   TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Format"          TEXT    NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "Element_Key" ON "Element" ("Partner", "Version", "Transaction", "Direction", "SegmentIndex", "ElementIndex");

-- X12 transaction sets and versions; delivered filled, only read. Version rows keep their
-- load order, which is the order of the partner editor's list (it stores list positions).
CREATE TABLE "Standard" (
    "Id"              INTEGER PRIMARY KEY,
    "Transaction"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Group"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Description"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "Standard_Transaction" ON "Standard" ("Transaction");

CREATE TABLE "Version" (
    "Id"              INTEGER PRIMARY KEY,
    "Version"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE
);

-- The four interchange folders, one row per transaction set, all alike.
CREATE TABLE "Inbox" (
    "Id"                       INTEGER PRIMARY KEY,
    "Partner"                  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Transaction"              TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Version"                  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Direction"                TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Date"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Time"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Used"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "InterchangeControlNumber" TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GroupControlNumber"       TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "FunctionalGroup"          TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "SenderID"                 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "SenderDivision"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ReceiverID"               TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ReceiverDivision"         TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Acknowledged"             TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Status"                   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "TSet"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "Inbox_Partner" ON "Inbox" ("Partner");

CREATE TABLE "Outbox" (
    "Id"                       INTEGER PRIMARY KEY,
    "Partner"                  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Transaction"              TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Version"                  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Direction"                TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Date"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Time"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Used"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "InterchangeControlNumber" TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GroupControlNumber"       TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "FunctionalGroup"          TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "SenderID"                 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "SenderDivision"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ReceiverID"               TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ReceiverDivision"         TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Acknowledged"             TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Status"                   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "TSet"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "Outbox_Partner" ON "Outbox" ("Partner", "GroupControlNumber");

CREATE TABLE "Sent" (
    "Id"                       INTEGER PRIMARY KEY,
    "Partner"                  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Transaction"              TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Version"                  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Direction"                TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Date"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Time"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Used"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "InterchangeControlNumber" TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GroupControlNumber"       TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "FunctionalGroup"          TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "SenderID"                 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "SenderDivision"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ReceiverID"               TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ReceiverDivision"         TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Acknowledged"             TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Status"                   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "TSet"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "Sent_Partner" ON "Sent" ("Partner", "GroupControlNumber");

CREATE TABLE "Recycled" (
    "Id"                       INTEGER PRIMARY KEY,
    "Partner"                  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Transaction"              TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Version"                  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Direction"                TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Date"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Time"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Used"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "InterchangeControlNumber" TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GroupControlNumber"       TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "FunctionalGroup"          TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "SenderID"                 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "SenderDivision"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ReceiverID"               TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ReceiverDivision"         TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Acknowledged"             TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Status"                   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "TSet"                     TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "Recycled_Partner" ON "Recycled" ("Partner");

-- Envelope segments of every loaded interchange, element by element, blanks kept.
CREATE TABLE "ISA" (
    "Id"              INTEGER PRIMARY KEY,
    "Partner"         TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA01"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA02"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA03"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA04"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA05"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA06"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA07"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA08"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA09"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA10"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA11"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA12"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA13"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA14"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA15"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "ISA16"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Direction"       TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "ISA_ControlNumber" ON "ISA" ("ISA13", "Partner");

-- GCN is the group control number handed over by the reader (equal to GS06).
CREATE TABLE "GS" (
    "Id"              INTEGER PRIMARY KEY,
    "Partner"         TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GCN"             TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS01"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS02"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS03"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS04"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS05"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS06"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS07"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GS08"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Direction"       TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "GS_ControlNumber" ON "GS" ("GS06", "Partner");

CREATE TABLE "GE" (
    "Id"              INTEGER PRIMARY KEY,
    "Partner"         TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GE01"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "GE02"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "GE_ControlNumber" ON "GE" ("GE02");

CREATE TABLE "IEA" (
    "Id"              INTEGER PRIMARY KEY,
    "Partner"         TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "IEA01"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "IEA02"           TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "IEA_ControlNumber" ON "IEA" ("IEA02");

-- Audit log and communication log: same fields, rows numbered by "Index".
CREATE TABLE "History" (
    "Index"           INTEGER PRIMARY KEY AUTOINCREMENT,
    "Type"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Date"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Time"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "User"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Description"     TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);

CREATE TABLE "Exchange" (
    "Index"           INTEGER PRIMARY KEY AUTOINCREMENT,
    "Type"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Date"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Time"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "User"            TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
    "Description"     TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);

-- Networks of the Exchange window, one per name. List positions default to -1 (nothing
-- chosen), except the certificate store, which starts on "Current User Store" / "My" as a new
-- editor row does; Certificate 0 selects no certificate.
CREATE TABLE "Internet" (
    "Id"                INTEGER PRIMARY KEY,
    "Network"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "URL"               TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Proxy"             TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "protocol"          INTEGER NOT NULL DEFAULT -1,
    "AccessType"        INTEGER NOT NULL DEFAULT -1,
    "RemotePort"        TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "timeout"           TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "UserName"          TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Password"          TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "CheckTime"         INTEGER NOT NULL DEFAULT 0,
    "Time"              REAL    NOT NULL DEFAULT 0,
    "CheckInterval"     INTEGER NOT NULL DEFAULT 0,
    "Interval"          INTEGER NOT NULL DEFAULT -1,
    "SendReceive"       INTEGER NOT NULL DEFAULT 0,
    "ReceiveOnly"       INTEGER NOT NULL DEFAULT 0,
    "SendOnly"          INTEGER NOT NULL DEFAULT 0,
    "SendScript"        TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ReceiveScript"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "OrganizationName"  TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Email"             TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "PartnerName"       TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "PartnerURL"        TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "SignOutgoing"      INTEGER NOT NULL DEFAULT 0,
    "EncryptOutgoing"   INTEGER NOT NULL DEFAULT 0,
    "CompressOutgoing"  INTEGER NOT NULL DEFAULT 0,
    "RequireSignature"  INTEGER NOT NULL DEFAULT 0,
    "RequireEncryption" INTEGER NOT NULL DEFAULT 0,
    "MDNSigned"         INTEGER NOT NULL DEFAULT 0,
    "MDNUnsigned"       INTEGER NOT NULL DEFAULT 0,
    "RequestMDN"        INTEGER NOT NULL DEFAULT 0,
    "Syncronous"        INTEGER NOT NULL DEFAULT 0,
    "Asyncronous"       INTEGER NOT NULL DEFAULT 0,
    "Provider"          INTEGER NOT NULL DEFAULT -1,
    "Algorithm"         INTEGER NOT NULL DEFAULT -1,
    "Hash"              INTEGER NOT NULL DEFAULT -1,
    "StoreLocation"     INTEGER NOT NULL DEFAULT 1,
    "StoreName"         INTEGER NOT NULL DEFAULT 0,
    "Certificate"       INTEGER NOT NULL DEFAULT 0,
    "SizeLimit"         INTEGER NOT NULL DEFAULT 100
);
CREATE UNIQUE INDEX "Internet_Network" ON "Internet" ("Network");

-- SizeLimit (megabytes) bounds what one download or one unpacked file of a network may hold; older
-- databases get it from the Exchange window when it first reads the networks.

-- Shipping data of the partner plug-in, which keeps the user's choice in the Selected flags.
CREATE TABLE "Location" (
    "Id"              INTEGER PRIMARY KEY,
    "Name"            TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ShipToCode"      TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "SoldToCode"      TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Street"          TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "City"            TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "StateProvince"   TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "PostalZip"       TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Selected"        INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX "Location_Name" ON "Location" ("Name");

CREATE TABLE "Carrier" (
    "Id"              INTEGER PRIMARY KEY,
    "Description"     TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Carrier"         TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "ProNumber"       TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "TrailerNumber"   TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Selected"        INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE "Consolidation" (
    "Id"              INTEGER PRIMARY KEY,
    "LocationName"    TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "CS"              TEXT    NOT NULL DEFAULT '' COLLATE NOCASE,
    "Selected"        INTEGER NOT NULL DEFAULT 0
);
