#include "imaging/views/iewords.h"

#include <iterator>

#include "platform/SysUtils.h"

// The words of each language by word number. Entries that were never
// translated hold the English text; an empty entry falls back to English.
namespace {
const char* const kEnglish[] = {
    "Preview", "Original", "Result", "OK", "Cancel", "Lock preview",
    "Copy Result to Original", "Contrast", "Brightness", "Hue", "Saturation", "Value",
    "Base color", "New color", "Luminosity", "Red", "Green", "Blue",
    "Filter values", "Presets", "Divisor", "Load", "Save", "Equalization",
    "Threshold", "Equalize", "Histogram", "Gray", "Light", "Left",
    "Top", "Width", "Height", "Color", "Original image quantity", "Lens",
    "Refraction", "Parameters Preview", "Quality", "DCT method", "Smoothing factor", "Gray scale",
    "Optimal Huffman", "Original size", "Compressed size", "Advanced", "Progressive", "Compression",
    "Image index", "Photometric", "Scanned document info", "Name", "Description", "Page name",
    "Page number", "of", "Horiz. Position (inch)", "Vert. Position (inch)", "Colors", "Transparent",
    "Transparent color", "Interlaced", "Background", "Horiz. Position", "Vert. Position", "Delay time",
    "Filter", "Wave", "Amplitude", "Wave length", "Phase", "Reflective",
    "User filter", "Morphing filters", "Window size", "Maximum", "Minimum", "Opening",
    "Closing", "Rotate", "Flip", "Horizontal", "Vertical", "Frequency domain image",
    "Select the region to clean", "Clear", "Reset", "Animate", "Load filter", "Save filter",
    "Bump map", "Print", "Margins", "inches", "Right", "Bottom",
    "Position", "Size", "Normal", "Fit to page", "Stretch to page", "Specified size",
    "Gamma correction", "Value", "Print Setup", "Left Margin", "Top Margin", "Right Margin",
    "Bottom Margin", "Location/size", "Top Left", "Top Center", "Top Right", "Center Left",
    "Center", "Center Right", "Bottom Left", "Bottom Center", "Bottom Right", "Close",
    "Apply", "Measure Units", "Units", "Rate",
};
static_assert(std::size(kEnglish) == IEWordTableWords);

const char* const kItalian[] = {
    "Anteprima", "Originale", "Risultato", "OK", "Annulla", "Blocca anteprima",
    "Copia risultato in originale", "Contrasto", "Luminosità", "Tinta", "Saturazione", "Valore",
    "Colore base", "Nuovo colore", "Luminanza", "Rosso", "Verde", "Blu",
    "Valori filtro", "Predefiniti", "Divisore", "Carica", "Salva", "Equalizzazione",
    "Soglia", "Equalizza", "Istogramma", "Grigio", "Luce", "Sinistra",
    "Alto", "Larghezza", "Altezza", "Colore", "Quantità immagine originale", "Lente",
    "Rifrazione", "Anteprima parametri", "Qualità", "Metodo DCT", "Fattore di smussamento", "Scala di grigi",
    "Huffman ottimizzato", "Dimensione originale", "Dimensione compressa", "Avanzate", "Progressivo", "Compressione",
    "Indice immagine", "Fotometria", "Info documento acquisito", "Nome", "Descrizione", "Nome pagina",
    "Numero pagina", "di", "Posizione orizz. (pollici)", "Posizione vert. (pollici)", "Colori", "Trasparente",
    "Colore trasparente", "Interlacciato", "Sfondo", "Posizione orizz.", "Posizione vert.", "Tempo di ritardo",
    "Filtro", "Onda", "Ampiezza", "Lunghezza d'onda", "Fase", "Riflettente",
    "Filtro utente", "Filtri morfologici", "Dimensione finestra", "Massimo", "Minimo", "Apertura",
    "Chiusura", "Ruota", "Capovolgi", "Orizzontale", "Verticale", "Immagine nel dominio della frequenza",
    "Seleziona la regione da pulire", "Cancella", "Ripristina", "Anima", "Carica filtro", "Salva filtro",
    "Bump map", "Stampa", "Margini", "pollici", "Destra", "Basso",
    "Posizione", "Dimensione", "Normale", "Adatta alla pagina", "Estendi alla pagina", "Dimensione specificata",
    "Correzione gamma", "Valore", "Imposta stampa", "Margine sinistro", "Margine superiore", "Margine destro",
    "Margine inferiore", "Posizione/dimensione", "In alto a sinistra", "In alto al centro", "In alto a destra", "Al centro a sinistra",
    "Centro", "Al centro a destra", "In basso a sinistra", "In basso al centro", "In basso a destra", "Chiudi",
    "Applica", "Unità di misura", "Unità", "Tasso",
};
static_assert(std::size(kItalian) == IEWordTableWords);

const char* const kGerman[] = {
    "Vorschau", "Original", "Ergebnis", "OK", "Abbrechen", "Vorschau sperren",
    "Ergebnis ins Original kopieren", "Kontrast", "Helligkeit", "Farbton", "Sättigung", "Wert",
    "Grundfarbe", "Neue Farbe", "Leuchtkraft", "Rot", "Grün", "Blau",
    "Filterwerte", "Vorgaben", "Teiler", "Laden", "Speichern", "Ausgleich",
    "Schwellenwert", "Ausgleichen", "Histogramm", "Grau", "Licht", "Links",
    "Oben", "Breite", "Höhe", "Farbe", "Anteil des Originalbildes", "Linse",
    "Brechung", "Parameter Vorschau", "Qualität", "DCT-Methode", "Glättungsfaktor", "Graustufen",
    "Optimales Huffman", "Originalgröße", "Komprimierte Größe", "Erweitert", "Progressiv", "Komprimierung",
    "Bildindex", "Photometrie", "Info zum gescannten Dokument", "Name", "Beschreibung", "Seitenname",
    "Seitennummer", "von", "Horiz. Position (Zoll)", "Vert. Position (Zoll)", "Farben", "Transparent",
    "Transparente Farbe", "Interlaced", "Hintergrund", "Horiz. Position", "Vert. Position", "Verzögerung",
    "Filter", "Welle", "Amplitude", "Wellenlänge", "Phase", "Spiegelnd",
    "Benutzerfilter", "Morphologische Filter", "Fenstergröße", "Maximum", "Minimum", "Öffnen",
    "Schließen", "Drehen", "Spiegeln", "Horizontal", "Vertikal", "Bild im Frequenzbereich",
    "Zu bereinigenden Bereich wählen", "Löschen", "Zurücksetzen", "Animieren", "Filter laden", "Filter speichern",
    "Bump map", "Drucken", "Ränder", "Zoll", "Rechts", "Unten",
    "Position", "Größe", "Normal", "An Seite anpassen", "Auf Seite strecken", "Angegebene Größe",
    "Gammakorrektur", "Wert", "Druckeinrichtung", "Linker Rand", "Oberer Rand", "Rechter Rand",
    "Unterer Rand", "Lage/Größe", "Oben links", "Oben Mitte", "Oben rechts", "Mitte links",
    "Mitte", "Mitte rechts", "Unten links", "Unten Mitte", "Unten rechts", "Schließen",
    "Übernehmen", "Maßeinheiten", "Einheiten", "Rate",
};
static_assert(std::size(kGerman) == IEWordTableWords);

const char* const kSpanish[] = {
    "Vista Previa", "Original", "Resultado", "OK", "Cancelar", "Bloquear vista previa",
    "Copiar resultado al original", "Contraste", "Brillo", "Tono", "Saturación", "Valor",
    "Color base", "Color nuevo", "Luminosidad", "Rojo", "Verde", "Azul",
    "Valores del filtro", "Predefinidos", "Divisor", "Cargar", "Guardar", "Ecualización",
    "Umbral", "Ecualizar", "Histograma", "Gris", "Luz", "Izquierda",
    "Arriba", "Ancho", "Alto", "Color", "Cantidad de imagen original", "Lente",
    "Refracción", "Revisión de Parámetros", "Calidad", "Método DCT", "Factor de suavizado", "Escala de grises",
    "Huffman óptimo", "Tamaño original", "Tamaño comprimido", "Avanzado", "Progresivo", "Compresión",
    "Índice de imagen", "Fotometría", "Información del documento escaneado", "Nombre", "Descripción", "Nombre de página",
    "Número de página", "de", "Posición horiz. (pulgadas)", "Posición vert. (pulgadas)", "Colores", "Transparente",
    "Color transparente", "Entrelazado", "Fondo", "Posición horiz.", "Posición vert.", "Tiempo de retardo",
    "Filtro", "Onda", "Amplitud", "Longitud de onda", "Fase", "Reflectante",
    "Filtro de usuario", "Filtros morfológicos", "Tamaño de ventana", "Máximo", "Mínimo", "Apertura",
    "Cierre", "Girar", "Voltear", "Horizontal", "Vertical", "Imagen en el dominio de frecuencia",
    "Seleccione la región a limpiar", "Borrar", "Restablecer", "Animar", "Cargar filtro", "Guardar filtro",
    "Bump map", "Imprimir", "Márgenes", "pulgadas", "Derecha", "Abajo",
    "Posición", "Tamaño", "Normal", "Ajustar a la página", "Estirar a la página", "Tamaño especificado",
    "Corrección gamma", "Valor", "Configurar impresión", "Margen izquierdo", "Margen superior", "Margen derecho",
    "Margen inferior", "Ubicación/tamaño", "Arriba izquierda", "Arriba centro", "Arriba derecha", "Centro izquierda",
    "Centro", "Centro derecha", "Abajo izquierda", "Abajo centro", "Abajo derecha", "Cerrar",
    "Aplicar", "Unidades de medida", "Unidades", "Rate",
};
static_assert(std::size(kSpanish) == IEWordTableWords);

const char* const kFrench[] = {
    "Prévisualisation", "Original", "Résultat", "OK", "Annuler", "Verrouiller l'aperçu",
    "Copier le résultat dans l'original", "Contraste", "Luminosité", "Teinte", "Saturation", "Valeur",
    "Couleur de base", "Nouvelle couleur", "Luminance", "Rouge", "Vert", "Bleu",
    "Valeurs du filtre", "Préréglages", "Diviseur", "Charger", "Enregistrer", "Égalisation",
    "Seuil", "Égaliser", "Histogramme", "Gris", "Lumière", "Gauche",
    "Haut", "Largeur", "Hauteur", "Couleur", "Quantité de l'image originale", "Lentille",
    "Réfraction", "Paramètres de l'aperçu", "Qualité", "Méthode DCT", "Facteur de lissage", "Niveaux de gris",
    "Huffman optimal", "Taille originale", "Taille compressée", "Avancé", "Progressif", "Compression",
    "Index de l'image", "Photométrie", "Infos du document numérisé", "Nom", "Description", "Nom de la page",
    "Numéro de page", "de", "Position horiz. (pouces)", "Position vert. (pouces)", "Couleurs", "Transparent",
    "Couleur transparente", "Entrelacé", "Fond", "Position horiz.", "Position vert.", "Délai",
    "Filtre", "Onde", "Amplitude", "Longueur d'onde", "Phase", "Réfléchissant",
    "Filtre utilisateur", "Filtres morphologiques", "Taille de la fenêtre", "Maximum", "Minimum", "Ouverture",
    "Fermeture", "Rotation", "Retourner", "Horizontal", "Vertical", "Image dans le domaine fréquentiel",
    "Sélectionnez la zone à nettoyer", "Effacer", "Réinitialiser", "Animer", "Charger un filtre", "Enregistrer le filtre",
    "Bump map", "Imprimer", "Marges", "pouces", "Droite", "Bas",
    "Position", "Taille", "Normal", "Ajuster à la page", "Étirer à la page", "Taille spécifiée",
    "Correction gamma", "Valeur", "Configuration de l'impression", "Marge gauche", "Marge haute", "Marge droite",
    "Marge basse", "Emplacement/taille", "En haut à gauche", "En haut au centre", "En haut à droite", "Au centre à gauche",
    "Centre", "Au centre à droite", "En bas à gauche", "En bas au centre", "En bas à droite", "Fermer",
    "Appliquer", "Unités de mesure", "Unités", "Rate",
};
static_assert(std::size(kFrench) == IEWordTableWords);

const char* const kPortuguese[] = {
    "Visualizar", "Original", "Resultado", "OK", "Cancelar", "Bloquear visualização",
    "Copiar resultado para o original", "Contraste", "Brilho", "Matiz", "Saturação", "Valor",
    "Cor base", "Nova cor", "Luminosidade", "Vermelho", "Verde", "Azul",
    "Valores do filtro", "Predefinições", "Divisor", "Carregar", "Salvar", "Equalização",
    "Limiar", "Equalizar", "Histograma", "Cinza", "Luz", "Esquerda",
    "Topo", "Largura", "Altura", "Cor", "Quantidade da imagem original", "Lente",
    "Refração", "Pré-Visualização de Parâmetros", "Qualidade", "Método DCT", "Fator de suavização", "Escala de cinza",
    "Huffman otimizado", "Tamanho original", "Tamanho comprimido", "Avançado", "Progressivo", "Compressão",
    "Índice da imagem", "Fotometria", "Informações do documento digitalizado", "Nome", "Descrição", "Nome da página",
    "Número da página", "de", "Posição horiz. (polegadas)", "Posição vert. (polegadas)", "Cores", "Transparente",
    "Cor transparente", "Entrelaçado", "Fundo", "Posição horiz.", "Posição vert.", "Tempo de espera",
    "Filtro", "Onda", "Amplitude", "Comprimento de onda", "Fase", "Reflexivo",
    "Filtro do usuário", "Filtros morfológicos", "Tamanho da janela", "Máximo", "Mínimo", "Abertura",
    "Fechamento", "Girar", "Inverter", "Horizontal", "Vertical", "Imagem no domínio da frequência",
    "Selecione a região a limpar", "Limpar", "Redefinir", "Animar", "Carregar filtro", "Salvar filtro",
    "Bump map", "Imprimir", "Margens", "polegadas", "Direita", "Inferior",
    "Posição", "Tamanho", "Normal", "Ajustar à página", "Esticar à página", "Tamanho especificado",
    "Correção gama", "Valor", "Configurar impressão", "Margem esquerda", "Margem superior", "Margem direita",
    "Margem inferior", "Localização/tamanho", "Superior esquerdo", "Superior central", "Superior direito", "Centro esquerdo",
    "Centro", "Centro direito", "Inferior esquerdo", "Inferior central", "Inferior direito", "Fechar",
    "Aplicar", "Unidades de medida", "Unidades", "Rate",
};
static_assert(std::size(kPortuguese) == IEWordTableWords);

const char* const kGreek[] = {
    "Προεπισκόπηση", "Αρχική", "Αποτέλεσμα", "OK", "Άκυρο", "Κλείδωμα προεπισκόπησης",
    "Αντιγραφή αποτελέσματος στην αρχική", "Αντίθεση", "Φωτεινότητα", "Απόχρωση", "Κορεσμός", "Τιμή",
    "Βασικό χρώμα", "Νέο χρώμα", "Λαμπρότητα", "Κόκκινο", "Πράσινο", "Μπλε",
    "Τιμές φίλτρου", "Προεπιλογές", "Διαιρέτης", "Φόρτωση", "Αποθήκευση", "Εξισορρόπηση",
    "Κατώφλι", "Εξισορρόπησε", "Ιστόγραμμα", "Γκρι", "Φως", "Αριστερά",
    "Πάνω", "Πλάτος", "Ύψος", "Χρώμα", "Ποσότητα αρχικής εικόνας", "Φακός",
    "Διάθλαση", "Προεπισκόπηση ρυθμίσεων", "Ποιότητα", "Μέθοδος DCT", "Συντελεστής εξομάλυνσης", "Κλίμακα του γκρι",
    "Βέλτιστο Huffman", "Αρχικό μέγεθος", "Συμπιεσμένο μέγεθος", "Για προχωρημένους", "Προοδευτική", "Συμπίεση",
    "Δείκτης εικόνας", "Φωτομετρία", "Πληροφορίες σαρωμένου εγγράφου", "Όνομα", "Περιγραφή", "Όνομα σελίδας",
    "Αριθμός σελίδας", "από", "Οριζ. θέση (ίντσες)", "Κατακ. θέση (ίντσες)", "Χρώματα", "Διαφανές",
    "Διαφανές χρώμα", "Πεπλεγμένο", "Φόντο", "Οριζ. θέση", "Κατακ. θέση", "Χρόνος καθυστέρησης",
    "Φίλτρο", "Κύμα", "Εύρος", "Μήκος κύματος", "Φάση", "Ανακλαστικό",
    "Φίλτρο χρήστη", "Μορφολογικά φίλτρα", "Μέγεθος παραθύρου", "Μέγιστο", "Ελάχιστο", "Άνοιγμα",
    "Κλείσιμο", "Περιστροφή", "Αναστροφή", "Οριζόντια", "Κατακόρυφα", "Εικόνα πεδίου συχνοτήτων",
    "Επιλέξτε την περιοχή καθαρισμού", "Καθαρισμός", "Επαναφορά", "Animate", "Load filter", "Save filter",
    "Bump map", "Εκτύπωση", "Περιθώρια", "ίντσες", "Δεξιά", "Κάτω",
    "Θέση", "Μέγεθος", "Κανονικό", "Προσαρμογή στη σελίδα", "Επέκταση στη σελίδα", "Καθορισμένο μέγεθος",
    "Διόρθωση γάμμα", "Τιμή", "Ρύθμιση εκτύπωσης", "Αριστερό περιθώριο", "Άνω περιθώριο", "Δεξί περιθώριο",
    "Κάτω περιθώριο", "Θέση/μέγεθος", "Πάνω αριστερά", "Πάνω κέντρο", "Πάνω δεξιά", "Κέντρο αριστερά",
    "Κέντρο", "Κέντρο δεξιά", "Κάτω αριστερά", "Κάτω κέντρο", "Κάτω δεξιά", "Κλείσιμο",
    "Apply", "Measure Units", "Units", "Rate",
};
static_assert(std::size(kGreek) == IEWordTableWords);

const char* const kRussian[] = {
    "Просмотр", "Оригинал", "Результат", "OK", "Отмена", "Фиксировать просмотр",
    "Копировать результат в оригинал", "Контраст", "Яркость", "Оттенок", "Насыщенность", "Значение",
    "Основной цвет", "Новый цвет", "Светимость", "Красный", "Зелёный", "Синий",
    "Filter values", "Предустановки", "Делитель", "Загрузить", "Сохранить", "Выравнивание",
    "Порог", "Выровнять", "Гистограмма", "Серый", "Свет", "Слева",
    "Сверху", "Ширина", "Высота", "Цвет", "Доля исходного изображения", "Линза",
    "Преломление", "Настройка параметров", "Качество", "Метод DCT", "Коэффициент сглаживания", "Оттенки серого",
    "Оптимальный Хаффман", "Исходный размер", "Размер после сжатия", "Дополнительно", "Прогрессивный", "Сжатие",
    "Номер изображения", "Фотометрия", "Сведения о сканированном документе", "Имя", "Описание", "Имя страницы",
    "Номер страницы", "из", "Гориз. позиция (дюймы)", "Верт. позиция (дюймы)", "Цвета", "Прозрачный",
    "Прозрачный цвет", "Чересстрочный", "Фон", "Гориз. позиция", "Верт. позиция", "Задержка",
    "Фильтр", "Волна", "Амплитуда", "Длина волны", "Фаза", "Отражение",
    "Фильтр пользователя", "Морфологические фильтры", "Размер окна", "Максимум", "Минимум", "Открытие",
    "Закрытие", "Повернуть", "Отразить", "По горизонтали", "По вертикали", "Изображение в частотной области",
    "Выберите область для очистки", "Очистить", "Сбросить", "Animate", "Load filter", "Save filter",
    "Bump map", "Print", "Margins", "inches", "Right", "Bottom",
    "Position", "Size", "Normal", "Fit to page", "Stretch to page", "Specified size",
    "Gamma correction", "Value", "Print Setup", "Left Margin", "Top Margin", "Right Margin",
    "Bottom Margin", "Location/size", "Top Left", "Top Center", "Top Right", "Center Left",
    "Center", "Center Right", "Bottom Left", "Bottom Center", "Bottom Right", "Close",
    "Apply", "Measure Units", "Units", "Rate",
};
static_assert(std::size(kRussian) == IEWordTableWords);

const char* const kDutch[] = {
    "Voorbeeld", "Origineel", "Resultaat", "OK", "Annuleren", "Voorbeeld vergrendelen",
    "Resultaat naar origineel kopiëren", "Contrast", "Helderheid", "Tint", "Verzadiging", "Waarde",
    "Basiskleur", "Nieuwe kleur", "Lichtsterkte", "Rood", "Groen", "Blauw",
    "Filterwaarden", "Voorinstellingen", "Deler", "Laden", "Opslaan", "Egalisatie",
    "Drempel", "Egaliseren", "Histogram", "Grijs", "Licht", "Links",
    "Boven", "Breedte", "Hoogte", "Kleur", "Hoeveelheid origineel beeld", "Lens",
    "Breking", "Parameters Voorbeeld", "Kwaliteit", "DCT-methode", "Afvlakfactor", "Grijswaarden",
    "Optimale Huffman", "Originele grootte", "Gecomprimeerde grootte", "Geavanceerd", "Progressief", "Compressie",
    "Afbeeldingsindex", "Fotometrie", "Info gescand document", "Naam", "Beschrijving", "Paginanaam",
    "Paginanummer", "van", "Horiz. positie (inch)", "Vert. positie (inch)", "Kleuren", "Transparant",
    "Transparante kleur", "Interlaced", "Achtergrond", "Horiz. positie", "Vert. positie", "Vertraging",
    "Filter", "Golf", "Amplitude", "Golflengte", "Fase", "Spiegelend",
    "Gebruikersfilter", "Morfologische filters", "Venstergrootte", "Maximum", "Minimum", "Openen",
    "Sluiten", "Draaien", "Spiegelen", "Horizontaal", "Verticaal", "Beeld in frequentiedomein",
    "Selecteer het gebied om op te schonen", "Wissen", "Herstellen", "Animeren", "Filter laden", "Filter opslaan",
    "Reliëfkaart", "Afdrukken", "Marges", "inch", "Rechts", "Onder",
    "Positie", "Grootte", "Normaal", "Passend op pagina", "Uitrekken tot pagina", "Opgegeven grootte",
    "Gammacorrectie", "Waarde", "Afdrukinstelling", "Linkermarge", "Bovenmarge", "Rechtermarge",
    "Ondermarge", "Plaats/grootte", "Linksboven", "Midden boven", "Rechtsboven", "Midden links",
    "Midden", "Midden rechts", "Linksonder", "Midden onder", "Rechtsonder", "Sluiten",
    "Toepassen", "Maateenheden", "Eenheden", "Rate",
};
static_assert(std::size(kDutch) == IEWordTableWords);

const char* const kSwedish[] = {
    "Granska", "Original", "Resultat", "OK", "Avbryt", "Lås förhandsgranskning",
    "Kopiera resultat till original", "Kontrast", "Ljusstyrka", "Nyans", "Mättnad", "Värde",
    "Grundfärg", "Ny färg", "Luminans", "Röd", "Grön", "Blå",
    "Filtervärden", "Förinställningar", "Divisor", "Läs in", "Spara", "Utjämning",
    "Tröskel", "Utjämna", "Histogram", "Grå", "Ljus", "Vänster",
    "Överkant", "Bredd", "Höjd", "Färg", "Andel av originalbilden", "Lins",
    "Brytning", "Granskningsparameter", "Kvalitet", "DCT-metod", "Utjämningsfaktor", "Gråskala",
    "Optimal Huffman", "Originalstorlek", "Komprimerad storlek", "Avancerat", "Progressiv", "Komprimering",
    "Bildindex", "Fotometri", "Information om skannat dokument", "Namn", "Beskrivning", "Sidnamn",
    "Sidnummer", "av", "Horis. position (tum)", "Vert. position (tum)", "Färger", "Genomskinlig",
    "Genomskinlig färg", "Sammanflätad", "Bakgrund", "Horis. position", "Vert. position", "Fördröjning",
    "Filter", "Våg", "Amplitud", "Våglängd", "Fas", "Reflekterande",
    "Användarfilter", "Morfologiska filter", "Fönsterstorlek", "Maximum", "Minimum", "Öppning",
    "Stängning", "Rotera", "Vänd", "Vågrätt", "Lodrätt", "Bild i frekvensdomänen",
    "Välj området som ska rensas", "Rensa", "Återställ", "Animera", "Läs in filter", "Spara filter",
    "Reliefkarta", "Skriv ut", "Marginaler", "tum", "Höger", "Nederkant",
    "Position", "Storlek", "Normal", "Anpassa till sidan", "Sträck ut till sidan", "Angiven storlek",
    "Gammakorrigering", "Värde", "Utskriftsformat", "Vänstermarginal", "Övre marginal", "Högermarginal",
    "Nedre marginal", "Placering/storlek", "Överst till vänster", "Överst i mitten", "Överst till höger", "Mitten till vänster",
    "Mitten", "Mitten till höger", "Nederst till vänster", "Nederst i mitten", "Nederst till höger", "Stäng",
    "Verkställ", "Måttenheter", "Enheter", "Rate",
};
static_assert(std::size(kSwedish) == IEWordTableWords);

const char* const kPolish[] = {
    "Podgląd", "Oryginał", "Wynik", "OK", "Anuluj", "Zablokuj podgląd",
    "Kopiuj wynik do oryginału", "Kontrast", "Jasność", "Odcień", "Nasycenie", "Wartość",
    "Kolor bazowy", "Nowy kolor", "Luminancja", "Czerwony", "Zielony", "Niebieski",
    "Wartości filtru", "Ustawienia wstępne", "Dzielnik", "Wczytaj", "Zapisz", "Wyrównanie",
    "Próg", "Wyrównaj", "Histogram", "Szary", "Światło", "Lewo",
    "Góra", "Szerokość", "Wysokość", "Kolor", "Udział oryginalnego obrazu", "Soczewka",
    "Załamanie", "Parametry podglądu", "Jakość", "Metoda DCT", "Współczynnik wygładzania", "Skala szarości",
    "Optymalny Huffman", "Rozmiar oryginalny", "Rozmiar po kompresji", "Zaawansowane", "Progresywny", "Kompresja",
    "Indeks obrazu", "Fotometria", "Informacje o zeskanowanym dokumencie", "Nazwa", "Opis", "Nazwa strony",
    "Numer strony", "z", "Poz. pozioma (cale)", "Poz. pionowa (cale)", "Kolory", "Przezroczysty",
    "Kolor przezroczysty", "Z przeplotem", "Tło", "Poz. pozioma", "Poz. pionowa", "Opóźnienie",
    "Filtr", "Fala", "Amplituda", "Długość fali", "Faza", "Odbicie",
    "Filtr użytkownika", "Filtry morfologiczne", "Rozmiar okna", "Maksimum", "Minimum", "Otwarcie",
    "Zamknięcie", "Obróć", "Odwróć", "Poziomo", "Pionowo", "Obraz w dziedzinie częstotliwości",
    "Zaznacz obszar do oczyszczenia", "Wyczyść", "Resetuj", "Animuj", "Wczytaj filtr", "Zapisz filtr",
    "Mapa wypukłości", "Drukuj", "Marginesy", "cale", "Prawo", "Dół",
    "Pozycja", "Rozmiar", "Normalny", "Dopasuj do strony", "Rozciągnij na stronę", "Określony rozmiar",
    "Korekcja gamma", "Wartość", "Ustawienia wydruku", "Lewy margines", "Górny margines", "Prawy margines",
    "Dolny margines", "Położenie/rozmiar", "Lewy górny", "Środkowy górny", "Prawy górny", "Lewy środkowy",
    "Środek", "Prawy środkowy", "Lewy dolny", "Środkowy dolny", "Prawy dolny", "Zamknij",
    "Zastosuj", "Jednostki miary", "Jednostki", "",
};
static_assert(std::size(kPolish) == IEWordTableWords);

struct TLanguageWords {
  TMsgLanguage language;
  const char* const* words;
};
const TLanguageWords kLanguages[] = {
    {msEnglish, kEnglish}, {msItalian, kItalian}, {msGerman, kGerman},   {msSpanish, kSpanish},
    {msFrench, kFrench},   {msPortuguese, kPortuguese}, {msGreek, kGreek}, {msRussian, kRussian},
    {msDutch, kDutch},     {msSwedish, kSwedish}, {msPolish, kPolish},
};
}  // namespace

void SetLocalizedWord(Integer Language, Integer Word, const std::string& Text) {
  IEWordTable[Language - 1][Word] = Text;
}

void FillWordTable() {
  for (const TLanguageWords& l : kLanguages)
    for (Integer w = 0; w < IEWordTableWords; ++w)
      if (*l.words[w]) SetLocalizedWord(l.language, w, l.words[w]);
}

TMsgLanguage MsgLanguageOfPrimaryLanguage(Integer PriLangID) {
  switch (PriLangID) {
    case 0x07: return msGerman;
    case 0x08: return msGreek;
    case 0x0A: return msSpanish;
    case 0x0C: return msFrench;
    case 0x10: return msItalian;
    case 0x13: return msDutch;
    case 0x16: return msPortuguese;
    case 0x19: return msRussian;
    default: return msEnglish;
  }
}

Byte LanguageCharset(TMsgLanguage Language) {
  if (Language == msSystem) Language = MsgLanguageOfPrimaryLanguage(SysLocale.PriLangID);
  switch (Language) {
    case msGreek: return GREEK_CHARSET;
    case msRussian: return RUSSIAN_CHARSET;
    case msPolish: return EASTEUROPE_CHARSET;
    default: return DEFAULT_CHARSET;
  }
}

std::string GetLocalizedWord(Integer Word, TMsgLanguage Language) {
  if (Language == msSystem) return IEWordTable[MsgLanguageOfPrimaryLanguage(SysLocale.PriLangID) - 1][Word];
  const std::string& word = IEWordTable[Language - 1][Word];
  return word.empty() ? IEWordTable[msEnglish - 1][Word] : word;
}
