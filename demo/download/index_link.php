<!DOCTYPE html>
<html lang="de">
<head><meta charset="utf-8"><title>Norvane – Danke für Ihr Update</title></head>
<body>
<h1>Norvane – Danke für Ihr Update</h1>
<p>Ihr USB-Stick ist bereit. Stecken Sie ihn in den Receiver und starten Sie
die USB-Datenübernahme im Menü „Einstellungen → Software-Update“.</p>
<p><a href="/s_product_catalog.php">Produktkatalog</a> ·
<a href="/norv_grauimport_h.php">Garantie-Check</a></p>
</body>
</html>
