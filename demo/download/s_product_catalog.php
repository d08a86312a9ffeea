<!DOCTYPE html>
<html lang="de">
<head><meta charset="utf-8"><title>Norvane HDTV-PVR – Produktkatalog</title></head>
<body>
<h1>Norvane HDTV-PVR – Produktkatalog</h1>
<p>Die neue Version des Norvane USB-Stick Updatetools steht zum Download bereit.</p>
<ul>
  <li><a href="/norvane/download/usb-version.txt">Aktuelle Programmversion</a></li>
  <li>Norvane Q120, Q140, Q200 HD, Q210 HD, Q300 HD, Q400 HD</li>
</ul>
<p>Bitte installieren Sie die aktuelle Version und starten Sie das Programm erneut.</p>
<p><a href="/s_product_catalog.php">Produktkatalog</a> ·
<a href="/norv_grauimport_h.php">Garantie-Check</a></p>
</body>
</html>
